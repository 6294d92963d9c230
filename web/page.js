// The page: passes each control's event to the session in the worker and draws what comes back.
// It decides nothing itself: what a press marks, what a text says and which layer shows all come
// from the session.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const picture = $('Picture1');
  const zval = $('zval');

  // The core sees no fetch: it would fetch the WebAssembly it carries, and the page fetches nothing.
  const source = '(function (fetch) {\n' + $('core').textContent +
                 '\nself.QuarnelCore = QuarnelCore;\n})(undefined);\n' + $('worker').textContent;
  const worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));

  let nextId = 1;
  let pending = 0;
  let offering = 0;  // saves whose picker or download has not ended yet
  // The id of the latest edit of the output box: replies to earlier messages carry older text.
  let lastEdit = 0;
  let busySince = 0;
  let outputShown = -1;  // the session's count of the box's changes, as the box shows them
  let hoverWaiting = null;  // the latest pointer move, sent once the worker has answered
  let view = null;
  const panel = quarnelPanel(send);
  let pixels = null;
  const calls = new Map();
  let keyMap = [];  // the session's, sent once it is ready
  const comlist = quarnelRecords($('comlist'), {
    edited: (text) => send('EditOutput', text),
    moved: (line) => send('Caret', line),
    key: (event) => onKey(event, 'box'),
    settled: () => settle(0, 'View'),
  });

  // One event of one control.
  function send(call, ...args) {
    if ((call === 'Hover' || call === 'Leave') && pending > 0) {
      hoverWaiting = [call, args];
      return;
    }
    const id = nextId++;
    document.body.dataset.sent = String(id);
    calls.set(id, call);
    if (call === 'EditOutput') lastEdit = id;
    if (pending++ === 0) busySince = performance.now();
    post({ id, call, args, shown: outputShown, typesFirst: panel.first(),
           typesCount: panel.visibleRows() });
  }
  // A chosen file's bytes are read here, since WebKit's worker cannot read a chosen File: events
  // after the choice wait for them, so that they reach the session in order.
  let reading = null;
  function queue(step) {
    const after = (reading || Promise.resolve()).then(step);
    reading = after;
    after.finally(() => { if (reading === after) reading = null; });
  }
  function post(message, transfer = []) {
    if (reading) queue(() => worker.postMessage(message, transfer));
    else worker.postMessage(message, transfer);
  }
  function sendFile(file, go) {
    const id = nextId++;
    document.body.dataset.sent = String(id);
    calls.set(id, 'ChooseFile');
    if (pending++ === 0) busySince = performance.now();
    $('path').textContent = file.name;
    const { name, size, lastModified } = file;
    queue(() => file.arrayBuffer().then(
      (bytes) => worker.postMessage({ id, call: 'ChooseFile', file: { name, size, lastModified },
                                      bytes, typesFirst: panel.first() }, [bytes]),
      (error) => worker.postMessage({ id, call: 'ChooseFile', readError: error.message || error.name })));
    if (go) send('Go');
  }
  const work = quarnelWork({ send, busy: () => pending > 0 && performance.now() - busySince > 100,
                           box: comlist });

  worker.onmessage = (event) => {
    const reply = event.data;
    if (reply.ready) {
      keyMap = reply.keyMap;
      panel.headings(reply.headings);
      return;
    }
    if (reply.work !== undefined) return work.show(reply.work);
    // The end of long work comes unasked.
    const call = reply.unasked ? 'Continue' : calls.get(reply.id);
    if (!reply.unasked) {
      calls.delete(reply.id);
      pending--;
    }
    if (reply.error) showFault(reply.error);
    if (reply.zoomed) showZoom(reply.zoomed);
    if (reply.view) show(reply, call);
    if (pending === 0 && hoverWaiting) {
      const [waitingCall, args] = hoverWaiting;
      hoverWaiting = null;
      send(waitingCall, ...args);
    }
    settle(reply.id, call);
  };
  // For scripts and tests: the last event answered and drawn, once nothing is left to do.
  let lastAnswered = 0;
  function settle(id, call) {
    lastAnswered = Math.max(lastAnswered, id);
    if (pending === 0 && offering === 0 && !work.running() && !comlist.building()) {
      $('progress').hidden = true;
      document.body.dataset.idle = String(lastAnswered);
      document.dispatchEvent(new CustomEvent('quarnel-drawn', { detail: { call } }));
    }
  }

  function show(reply, call) {
    view = reply.view;
    if (reply.pixels) pixels = new ImageData(reply.pixels, 585, 511);
    document.title = view.caption + (view.unsaved ? ' *' : '');
    const rows = $('status').children;
    for (let row = 0; row < 3; ++row) {
      rows[row].textContent = view.status[row];
      rows[row].title = view.status[row];
    }
    if (call !== 'TypeLayer' && zval.value !== view.layerText) zval.value = view.layerText;
    $('zscr').setAttribute('aria-valuenow', String(view.layer));
    // The box is the user's while they type: only a reply to a message sent after their latest
    // edit knows that edit. The reply to that edit says only whether the session holds it as typed.
    const typedHeld = reply.id === lastEdit && view.output === undefined;
    if (view.outputChanges !== undefined && (reply.id > lastEdit || typedHeld)) {
      outputShown = view.outputChanges;
      if (view.output !== undefined) comlist.show(view.output);
    }
    if (reply.id > lastEdit && view.selectedLines.length) comlist.selectLines(view.selectedLines);
    work.show(view.work || null);
    draw();
    panel.show(reply, view);
    if (view.fault) showFault(view.fault);
    if (view.question) ask(view.question, view.answers);
    if (reply.download) offer(reply.download);
  }

  // The raster as the core drew it, scaled by whole device pixels, and the overlays on it. The
  // zoom is a whole number of those pixels for each of the raster's; the box around the grid
  // scrolls it.
  let zoom = 1;
  function draw() {
    const scale = Math.max(1, Math.round(window.devicePixelRatio || 1)) * zoom;
    if (picture.width !== 585 * scale) {
      picture.width = 585 * scale;
      picture.height = 511 * scale;
      picture.style.width = `${585 * scale / (window.devicePixelRatio || 1)}px`;
      picture.style.height = `${511 * scale / (window.devicePixelRatio || 1)}px`;
    }
    const context = picture.getContext('2d');
    context.imageSmoothingEnabled = false;
    if (pixels) {
      if (scale === 1) {
        context.putImageData(pixels, 0, 0);
      } else {
        const raster = draw.raster || (draw.raster = document.createElement('canvas'));
        raster.width = 585;
        raster.height = 511;
        raster.getContext('2d').putImageData(pixels, 0, 0);
        context.drawImage(raster, 0, 0, 585 * scale, 511 * scale);
      }
    }
    if (!view) return;
    // Rings in the gaps around the squares, where they hide no colour.
    const ring = (box, inset, width, colour) => {
      const [left, top, right, bottom] = box;
      const x = (left * 10 - 2 - inset) * scale;
      const y = (top * 10 - 2 - inset) * scale;
      const w = ((right - left) * 10 + 12 + 2 * inset) * scale;
      const h = ((bottom - top) * 10 + 12 + 2 * inset) * scale;
      context.fillStyle = colour;
      const t = width * scale;
      context.fillRect(x, y, w, t);
      context.fillRect(x, y + h - t, w, t);
      context.fillRect(x, y, t, h);
      context.fillRect(x + w - t, y, t, h);
    };
    // Squares start at 10 x and span 9 pixels; a ring of 2 lies just outside.
    if (view.selection) ring(view.selection, -1, 1, '#0ff');
    if (view.preview) ring(view.preview, -1, 1, '#fff');
    if (document.activeElement === picture) {
      const [column, row] = view.cursor;
      ring([column, row, column, row], 0, 2, '#ff0');
    }
  }

  function showFault(text) {
    $('faultText').textContent = text;
    if (!$('fault').open) $('fault').showModal();
  }
  function ask(question, answers) {
    $('questionText').textContent = question;
    $('answers').replaceChildren(...answers.map((text, index) => {
      const button = document.createElement('button');
      button.textContent = text;
      button.addEventListener('click', () => {
        $('question').close();
        send('Answer', index);
      });
      return button;
    }));
    $('question').showModal();
    // Enter keeps things as they are: the last answer.
    $('answers').lastChild.focus();
  }
  $('question').addEventListener('cancel', () => send('Answer', view.answers.length - 1));

  // A save goes through the browser's save picker where there is one, so that its end is known;
  // otherwise it is a download, which the browser never confirms. The session says which it was.
  async function offer(download) {
    ++offering;
    let outcome;
    try {
      outcome = await writeOut(download);
    } finally {
      --offering;
    }
    send('Offered', ...outcome);
  }
  // [written, name, why]: as Session::Offered takes them.
  async function writeOut(download) {
    if (window.showSaveFilePicker) {
      let handle = null;
      try {
        handle = await window.showSaveFilePicker({ suggestedName: download.name });
      } catch (error) {
        if (error.name === 'AbortError') return [false, '', ''];
        // A picker needs a recent click, which a long save outlasts: the download still works.
        if (error.name !== 'SecurityError') return [false, '', error.message || error.name];
      }
      if (handle) {
        let writable = null;
        try {
          writable = await handle.createWritable();
          await writable.write(download.bytes);
          await writable.close();
          return [true, handle.name, ''];
        } catch (error) {
          if (writable) await writable.abort().catch(() => {});
          return [false, handle.name, error.message || error.name];
        }
      }
    }
    const url = URL.createObjectURL(new Blob([download.bytes], { type: 'application/octet-stream' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = download.name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    return [false, download.name, ''];
  }

  // The controls.
  $('Command1').addEventListener('click', () => $('thefile').click());
  $('thefile').addEventListener('change', () => {
    if ($('thefile').files.length) sendFile($('thefile').files[0], false);
    $('thefile').value = '';
  });
  $('Command2').addEventListener('click', () => send('Go'));
  zval.addEventListener('input', () => send('TypeLayer', zval.value));
  zval.addEventListener('keydown', (event) => {
    if (event.key === 'Enter') send('EnterLayer');
  });
  $('zup').addEventListener('click', () => send('StepLayer', 1));
  $('zdown').addEventListener('click', () => send('StepLayer', -1));
  $('zscr').addEventListener('keydown', (event) => {
    const step = { ArrowUp: 1, ArrowRight: 1, ArrowDown: -1, ArrowLeft: -1 }[event.key];
    if (step) {
      send('StepLayer', step);
      event.preventDefault();
    }
  });
  $('zscr').addEventListener('wheel', (event) => {
    if (event.deltaY !== 0) send('StepLayer', event.deltaY < 0 ? 1 : -1);
    event.preventDefault();
  });
  $('NextTile').addEventListener('click', () => send('NextTile'));
  $('Auto').addEventListener('click', () => send('AutoCover'));
  $('AutoMany').addEventListener('change', () => {
    const choice = $('AutoMany').value;
    $('AutoMany').value = '';
    if (choice) send('AutoEvery', choice === 'types');
  });
  // The zoom and scroll the core worked out (gestures.js asks for them), applied.
  function showZoom(zoomed) {
    zoom = zoomed.zoom;
    draw();
    $('grid').scrollLeft = zoomed.scrollX;
    $('grid').scrollTop = zoomed.scrollY;
    $('status').lastElementChild.textContent = zoomed.status;
  }
  $('Save').addEventListener('click', () => send('Save', $('shortenRest').checked));
  $('shortenRest').addEventListener('change', () => send('SetShortenRest', $('shortenRest').checked));

  // The grid, in raster pixels.
  const point = (event) => {
    const bounds = picture.getBoundingClientRect();
    return [(event.clientX - bounds.left) * 585 / bounds.width,
            (event.clientY - bounds.top) * 511 / bounds.height];
  };
  picture.addEventListener('contextmenu', (event) => event.preventDefault());
  quarnelGestures({ picture, grid: $('grid'), send, point, zoom: () => zoom });
  picture.addEventListener('mousedown', (event) => {
    picture.focus({ preventScroll: true });
    const button = event.button === 0 ? 1 : event.button === 2 ? 2 : 0;
    send('Press', button, ...point(event), event.shiftKey, event.ctrlKey);
    event.preventDefault();
  });
  picture.addEventListener('mouseup', (event) => {
    if (event.button === 0) send('Release', ...point(event), event.shiftKey);
  });
  picture.addEventListener('mousemove', (event) => send('Hover', ...point(event)));
  picture.addEventListener('mouseleave', () => send('Leave'));
  picture.addEventListener('focus', () => send('GridFocus'));
  picture.addEventListener('blur', () => send('GridBlur'));

  // Keys, as the session's key map gives their actions for the focused control. The output box
  // keeps an undo or redo key while it has the user's typing to undo or redo with it.
  const keyAction = (focus, key, ctrl, shift) => {
    const binding = keyMap.find((row) => row.key === key && row.ctrl === ctrl &&
      (row.shift < 0 || row.shift === Number(shift)) && row.focuses.includes(focus));
    if (!binding || (binding.unlessTyped && focus === 'box' && comlist.hasOwn(binding.action))) return '';
    return binding.action;
  };
  // The output box's keys come from its editor first, whose own keys (its undo among them) run
  // only where the key map gives none.
  function onKey(event, focus) {
    if (event.altKey || document.querySelector('dialog[open]')) return;
    const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
    const action = keyAction(focus, key, event.ctrlKey || event.metaKey, event.shiftKey);
    if (!action) return;
    event.preventDefault();
    event.stopPropagation();
    send('Key', action, event.key, event.shiftKey);
  }
  document.addEventListener('keydown', (event) => {
    const target = event.target;
    if (comlist.owns(target)) return;
    const typing = target.tagName === 'INPUT' && target.type !== 'checkbox';
    onKey(event, target === picture ? 'grid' : typing ? 'text' : 'other');
  });

  // A template dropped anywhere on the page: chosen, then go.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const files = event.dataTransfer && event.dataTransfer.files;
    if (files && files.length === 1) sendFile(files[0], true);
  });

  window.addEventListener('beforeunload', (event) => {
    if (view && view.unsaved) {
      event.preventDefault();
      event.returnValue = '';
    }
  });
  // A new device pixel ratio (zoom, another screen) draws the grid again at the new size.
  const followRatio = () => {
    draw();
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
      .addEventListener('change', followRatio, { once: true });
  };
  followRatio();
  window.addEventListener('resize', draw);
  send('View');
})();
