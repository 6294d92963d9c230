// The output box: an editor that lays out only the lines in view (CodeMirror), since a text control
// lays out every line, for hundreds of milliseconds with thousands of records and seconds with a
// hundred thousand. The program's text is built a slice at a time off screen and shown in one
// swap, so that no task runs long; the user's typing, selection, copying and undo are the editor's.
'use strict';
// eslint-disable-next-line no-unused-vars
function quarnelRecords(place, { edited, moved, key, settled }) {
  const sliceLines = 20000;  // some 20 ms of building at a time
  const editor = CodeMirror((wrapper) => {
    wrapper.id = place.id;
    wrapper.title = place.title;
    place.replaceWith(wrapper);
  }, { value: '', inputStyle: 'contenteditable', screenReaderLabel: place.getAttribute('aria-label'),
       spellcheck: false, undoDepth: 1000, viewportMargin: 20,
       extraKeys: { Tab: false, 'Shift-Tab': false } });  // Tab leaves the box, as anywhere else
  // A screen reader hears a multi-line text box, as it did the text control.
  const input = editor.getInputField();
  input.setAttribute('role', 'textbox');
  input.setAttribute('aria-multiline', 'true');
  let current = '';     // the box's text, as last put or typed
  let building = null;  // the program's text being built, and its document so far
  let lastLine = -1;
  let selectWhenBuilt = null;  // lines to select in the text being built

  editor.on('changes', (cm, changes) => {
    building = null;  // an edit (the box is read-only while it builds) outdates what is built
    if (changes.length === 1) {
      // One change, spliced into the text: joining every line again costs 70 ms per key with a
      // quarter of a million records. Lines before the change kept their places.
      const [{ from, removed, text }] = changes;
      const at = editor.indexFromPos(from);
      current = current.slice(0, at) + text.join('\n') + current.slice(at + removed.join('\n').length);
    } else {
      current = editor.getValue();
    }
    edited(current);
  });
  const report = () => {
    const line = editor.getCursor().line;
    if (line !== lastLine) {
      lastLine = line;
      moved(line);
    }
  };
  editor.on('cursorActivity', report);
  // A click asks for its line again, as the caret's record may have changed since.
  editor.getWrapperElement().addEventListener('click', () => {
    lastLine = -1;
    report();
  });
  editor.on('keydown', (cm, event) => key(event));
  // What the program puts or selects scrolls the box alone, never the page under the user's finger.
  let programMoving = false;
  editor.on('scrollCursorIntoView', (cm, event) => {
    if (programMoving) event.preventDefault();
  });
  const byProgram = (change) => {
    programMoving = true;
    try {
      editor.operation(change);
    } finally {
      programMoving = false;
    }
  };

  // Builds a slice of the program's text, and swaps it in once it is whole.
  function buildOn() {
    if (!building) return;
    const { text, doc } = building;
    if (building.at < text.length) {
      let end = building.at;
      for (let line = 0; line < sliceLines && end !== -1; ++line) end = text.indexOf('\n', end + 1);
      end = end === -1 ? text.length : end + 1;
      doc.replaceRange(text.slice(building.at, end), doc.posFromIndex(Infinity));
      building.at = end;
      if (end < text.length) {
        setTimeout(buildOn, 0);
        return;
      }
    }
    building = null;
    hold();
    doc.clearHistory();
    byProgram(() => {
      editor.swapDoc(doc);
      const last = doc.posFromIndex(Infinity);
      doc.setCursor(last);
      editor.scrollIntoView(last);
      lastLine = last.line;
      if (selectWhenBuilt !== null) select(selectWhenBuilt);
    });
    current = text;
    selectWhenBuilt = null;
    settled();
  }

  // No typing while long work runs, nor into the old text while the new one is being built: the
  // typing would replace the new text.
  let workHeld = false;
  function hold() {
    const readOnly = workHeld || building !== null;
    if (editor.getOption('readOnly') === readOnly) return;
    editor.setOption('readOnly', readOnly);
    input.setAttribute('aria-readonly', String(readOnly));
  }

  // The selected records' lines, each selected whole, the first in sight.
  function select(lines) {
    const doc = editor.getDoc();
    const ranges = lines.filter((line) => line <= doc.lastLine()).map((line) => (
      { anchor: { line, ch: 0 }, head: { line, ch: doc.getLine(line).length } }));
    if (!ranges.length) return;
    doc.setSelections(ranges, 0);
    lastLine = ranges[0].anchor.line;
  }

  return {
    // The program's text; the user's own typing, come back from the session, stays as it is with
    // its undo.
    show(text) {
      if (text === (building ? building.text : current)) return;
      building = { text, doc: new CodeMirror.Doc(''), at: 0 };
      selectWhenBuilt = null;
      hold();
      buildOn();
    },
    building: () => building !== null,
    // Whether the user's typing leaves the editor an undo or a redo of its own: the program's texts
    // come with no history.
    hasOwn(action) {
      const { undo, redo } = editor.historySize();
      return action === 'Undo' ? undo > 0 : action === 'Redo' && redo > 0;
    },
    owns: (element) => editor.getWrapperElement().contains(element),
    selectLines(lines) {
      if (building) selectWhenBuilt = lines;
      else byProgram(() => select(lines));
    },
    setReadOnly(readOnly) {
      workHeld = readOnly;
      hold();
    },
  };
}
