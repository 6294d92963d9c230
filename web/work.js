// Long work in the worker: after 300 ms the progress bar says how far it has got and Cancel shows;
// meanwhile the output box takes no typing, which the session would refuse. Short work of over a
// tenth of a second shows the bar alone.
'use strict';
// eslint-disable-next-line no-unused-vars
function quarnelWork({ send, busy, box }) {
  const $ = (id) => document.getElementById(id);
  let since = 0;  // when the long work under way began; 0: none
  setInterval(() => {
    const long = since > 0 && performance.now() - since > 300;
    $('progress').hidden = !(long || busy());
    $('work').hidden = !long;
  }, 50);
  $('Cancel').addEventListener('click', () => send('Cancel'));
  return {
    running: () => since > 0,
    show(work) {
      const progress = $('progress');
      box.setReadOnly(Boolean(work));
      if (!work) {
        since = 0;
        progress.removeAttribute('value');
        $('work').hidden = true;
        return;
      }
      if (!since) since = performance.now();
      if (work.total > 0) {
        progress.max = work.total;
        progress.value = work.done;
      }
      $('workText').textContent = work.said;
    },
  };
}
