// The worker: the whole session lives here, so that a long step never freezes the page. Each
// message is one control's event; each answer is what the page draws afterwards.
'use strict';
let core = null;
let session = null;
const waiting = [];
// Calls that change nothing on the raster: their answers carry no pixels.
const rasterKept = new Set(['Hover', 'Leave', 'TypeLayer', 'SortTypes', 'SortLayers', 'ChooseFile']);

function answer(message) {
  const reply = { id: message.id, view: core.View(session, message.shown ?? -1) };
  const view = reply.view;
  if (view.output !== undefined) {
    // The page's editor ends lines with \n. The user's typing, come back as the session holds it,
    // the page has already: only its count goes back.
    view.output = view.output.replace(/\r\n/g, '\n');
    if (message.call === 'EditOutput' && view.output === message.args[0]) delete view.output;
  }
  if (message.unasked) reply.unasked = true;
  if (!rasterKept.has(message.call)) {
    const pixels = new Uint8ClampedArray(core.Pixels(session));
    // The raster stores R, G, B and an unused byte; the canvas takes that byte as opacity.
    for (let at = 3; at < pixels.length; at += 4) pixels[at] = 255;
    reply.pixels = pixels;
  }
  reply.typesFirst = message.typesFirst || 0;
  reply.typeRows = core.TypeRows(session, reply.typesFirst, message.typesCount || 40);
  reply.layerRows = core.LayerRows(session);
  if (reply.view.download) {
    const name = reply.view.download;
    reply.download = { name, bytes: core.TakeDownload(session) };
  }
  // Moved to the page, not copied: a saved template may be tens of MB.
  const moved = [reply.pixels?.buffer, reply.download?.bytes.buffer].filter(Boolean);
  postMessage(reply, moved);
}

function handle(message) {
  try {
    if (message.readError) throw new Error(message.readError);
    if (message.call === 'ChooseFile') {
      // The chosen file in the session's own file system, under its own name: messages name it
      // as the user knows it. The page read its bytes: WebKit cannot read a chosen File here.
      const file = message.file;
      const name = session.NameForChosen(file.name, `${file.size} ${file.lastModified}`);
      core.FS.writeFile(name, new Uint8Array(message.bytes));
      session.ChooseFile(name);
    } else if (message.call === 'Zoom') {
      // The grid's zoom is the page's own: the raster and the session stay as they are.
      return postMessage({ id: message.id, zoomed: core.ZoomAbout(...message.args) });
    } else if (message.call !== 'View') {
      session[message.call](...(message.args || []));
    }
    answer(message);
  } catch (error) {
    fail(message, error);
  }
}

function fail(message, error) {
  // Too large for the browser's memory, most often: the file could not be taken in at all.
  const said = error instanceof Error ? error.message : String(error);
  const text = core.FaultText(error instanceof RangeError || /memory/i.test(said), said);
  postMessage({ id: message.id, error: text, unasked: message.unasked });
}

// Long work runs a part at a time, a slice of parts between the page's messages, so that Cancel
// and the controls the session refuses meanwhile are answered at once, not after the work.
let latest = null;  // the last message handled: its id and what the page shows
let pumping = false;
function pump() {
  pumping = false;
  if (!session.Working()) return;
  try {
    const start = performance.now();
    while (session.Working() && performance.now() - start < 40) session.Continue();
  } catch (error) {
    return fail(latest, error);
  }
  if (session.Working()) {
    postMessage({ work: core.Work(session) });
    pumping = true;
    setTimeout(pump, 0);
  } else {
    // The work's end, drawn as an answer to the last message the page sent.
    answer({ ...latest, call: 'Continue', unasked: true });
  }
}

onmessage = (event) => {
  if (!session) return waiting.push(event.data);
  latest = event.data;
  handle(event.data);
  if (!pumping && session.Working()) {
    pumping = true;
    setTimeout(pump, 0);
  }
};

QuarnelCore().then((module) => {
  core = module;
  session = new core.Session();
  postMessage({ ready: true, keyMap: core.KeyMap(), headings: core.Headings() });
  for (const message of waiting.splice(0)) onmessage({ data: message });
});
