// The grid's gestures beyond a mouse's presses: zoom about the pointer, panning a zoomed grid, and
// touch. The zoom's arithmetic is the core's (ZoomAbout, answered as "zoomed"); this applies it.
'use strict';
// eslint-disable-next-line no-unused-vars
function quarnelGestures({ picture, grid, send, point, zoom }) {
  const kLongPress = 500;  // ms: a touch held this long is a right press
  const kSlop = 8;         // CSS pixels a touch may wander and still be a tap

  // Zoom: Ctrl + wheel about the pointer; Ctrl++, Ctrl+- and Ctrl+0 about the box's middle.
  const zoomBy = (steps, x, y) =>
    send('Zoom', zoom(), steps, x, y, grid.scrollLeft, grid.scrollTop);
  grid.addEventListener('wheel', (event) => {
    if (!event.ctrlKey) return;
    event.preventDefault();
    const box = grid.getBoundingClientRect();
    zoomBy(event.deltaY < 0 ? 1 : -1, event.clientX - box.left - grid.clientLeft,
           event.clientY - box.top - grid.clientTop);
  }, { passive: false });
  document.addEventListener('keydown', (event) => {
    if (!(event.ctrlKey || event.metaKey)) return;
    const steps = { '+': 1, '=': 1, '-': -1, '0': 0 }[event.key];
    if (steps === undefined) return;
    event.preventDefault();
    zoomBy(steps, grid.clientWidth / 2, grid.clientHeight / 2);
  });

  // Panning: the grid follows a drag with the middle button, or with two fingers.
  let pan = null;
  const startPan = (x, y) => {
    pan = { x, y, left: grid.scrollLeft, top: grid.scrollTop };
  };
  const movePan = (x, y) => {
    grid.scrollLeft = pan.left - (x - pan.x);
    grid.scrollTop = pan.top - (y - pan.y);
  };
  grid.addEventListener('mousedown', (event) => {
    if (event.button !== 1) return;
    event.preventDefault();  // no autoscroll
    startPan(event.clientX, event.clientY);
  });
  window.addEventListener('mousemove', (event) => {
    if (pan && !touch) movePan(event.clientX, event.clientY);
  });
  window.addEventListener('mouseup', (event) => {
    if (event.button === 1) pan = null;
  });

  // Touch: a tap is a left press, a long press a right press, a drag marks as a mouse drag does;
  // the Shift toggle stands for the Shift key. Nothing is sent until the gesture is known, so a
  // second finger (panning) can still turn it into none.
  const shiftButton = document.getElementById('shiftToggle');
  shiftButton.addEventListener('click', () => shiftButton.setAttribute('aria-pressed',
    String(shiftButton.getAttribute('aria-pressed') !== 'true')));
  const shift = () => shiftButton.getAttribute('aria-pressed') === 'true';
  let touch = null;
  const endTouch = () => {
    if (touch) clearTimeout(touch.timer);
    touch = null;
  };
  const middle = (touches) => [(touches[0].clientX + touches[1].clientX) / 2,
                               (touches[0].clientY + touches[1].clientY) / 2];
  picture.addEventListener('touchstart', (event) => {
    event.preventDefault();  // no mouse events after it, no scrolling of the page
    if (event.touches.length === 2 && touch && !touch.sent) {
      endTouch();
      startPan(...middle(event.touches));
      return;
    }
    if (event.touches.length !== 1) return;
    picture.focus({ preventScroll: true });  // the page stays where the finger found the square
    const first = event.touches[0];
    touch = { x: first.clientX, y: first.clientY, at: point(first), last: point(first), sent: '' };
    touch.timer = setTimeout(() => {
      touch.sent = 'long';
      send('Press', 2, ...touch.at, shift(), false);
    }, kLongPress);
  }, { passive: false });
  picture.addEventListener('touchmove', (event) => {
    event.preventDefault();
    if (pan && event.touches.length === 2) return movePan(...middle(event.touches));
    if (!touch || touch.sent === 'long') return;
    const moved = event.touches[0];
    if (!touch.sent && Math.hypot(moved.clientX - touch.x, moved.clientY - touch.y) > kSlop) {
      clearTimeout(touch.timer);
      touch.sent = 'drag';
      send('Press', 1, ...touch.at, shift(), false);
    }
    touch.last = point(moved);
    if (touch.sent === 'drag') send('Hover', ...touch.last);
  }, { passive: false });
  picture.addEventListener('touchend', (event) => {
    event.preventDefault();
    if (event.touches.length === 0) pan = null;
    if (!touch) return;
    if (touch.sent !== 'long') {
      if (!touch.sent) send('Press', 1, ...touch.at, shift(), false);
      send('Release', ...touch.last, shift());
    }
    endTouch();
  }, { passive: false });
  picture.addEventListener('touchcancel', () => {
    endTouch();
    pan = null;
  });
}
