// The types panel: the list of the run's tile types and the list of the current type's layers,
// each with headings that sort it. Its rows come from the session; the types list draws only the
// rows in view.
'use strict';
// eslint-disable-next-line no-unused-vars
function quarnelPanel(send) {
  const byId = (id) => document.getElementById(id);
  const kRowHeight = 16;
  const kHeadHeight = 17;  // each list's headings, above its rows
  let view = null;
  let typeRows = [];
  let typesFirst = 0;
  let layerRows = [];
  let activeType = 0;
  let activeLayer = 0;

  function visibleTypeRows() {
    return Math.ceil(byId('types').clientHeight / kRowHeight) + 2;
  }
  // A list's headings: reached by Up from its first row, Left and Right between them, Enter or
  // Space sorts by one, Down goes back to the rows.
  function heads(element, names, call, list) {
    element.replaceChildren(...names.map((name, column) => {
      const cell = document.createElement('div');
      cell.setAttribute('role', 'columnheader');
      const head = document.createElement('button');
      head.className = 'head';
      head.textContent = name;
      head.tabIndex = -1;
      head.addEventListener('click', () => send(call, column));
      head.addEventListener('keydown', (event) => {
        const step = { ArrowLeft: -1, ArrowRight: 1 }[event.key];
        const heads = element.querySelectorAll('button');
        if (step) heads[Math.max(0, Math.min(heads.length - 1, column + step))].focus();
        else if (event.key === 'ArrowDown') list.focus();
        else return;
        event.preventDefault();
        event.stopPropagation();
      });
      cell.append(head);
      return cell;
    }));
  }

  function rowElement(list, cells, numbers, index, active) {
    const row = document.createElement('div');
    row.id = `${list}Row${index}`;
    row.setAttribute('role', 'row');
    row.setAttribute('aria-rowindex', String(index + 2));
    row.dataset.row = String(index);
    if (index === active) row.classList.add('active');
    cells.forEach((text, column) => {
      const cell = document.createElement('span');
      cell.setAttribute('role', 'gridcell');
      cell.textContent = String(text);
      cell.title = String(text);
      if (numbers.includes(column)) cell.className = 'number';
      row.append(cell);
    });
    return row;
  }
  function showTypes() {
    const count = view ? view.types : 0;
    byId('typesSpace').style.height = count * kRowHeight + 'px';
    byId('typesRows').style.top = kHeadHeight + typesFirst * kRowHeight + 'px';
    byId('types').setAttribute('aria-rowcount', String(count + 1));
    // A type made current elsewhere, or moved by a sort, is highlighted where it now stands, as
    // the window's panel selects it.
    const current = view ? view.currentType : -1;
    if (current >= 0 && current !== showTypes.current) activeType = current;
    showTypes.current = current;
    byId('typesRows').replaceChildren(...typeRows.map((cells, at) => {
      const row = rowElement('types', cells.slice(0, 6), [2, 4], typesFirst + at, activeType);
      if (cells[6]) row.classList.add('current');
      return row;
    }));
  }
  function showLayers() {
    byId('layersRows').replaceChildren(...layerRows.map((cells, at) =>
      rowElement('layers', cells, [0, 1, 2], at, activeLayer)));
    announce();
  }
  // A screen reader follows the highlighted row of the focused list.
  function announce() {
    for (const list of ['types', 'layers']) {
      const row = byId(list).querySelector('.active');
      if (row) byId(list).setAttribute('aria-activedescendant', row.id);
      else byId(list).removeAttribute('aria-activedescendant');
    }
  }
  byId('types').addEventListener('scroll', () => {
    const first = Math.floor(byId('types').scrollTop / kRowHeight);
    if (first !== typesFirst) {
      typesFirst = first;
      send('View');
    }
  });
  // A list: arrows move its highlight, Enter or a double-click shows the row.
  function list(element, count, getActive, setActive, call) {
    element.addEventListener('dblclick', (event) => {
      const row = event.target.closest('[data-row]');
      if (row) send(call, Number(row.dataset.row));
    });
    element.addEventListener('click', (event) => {
      const row = event.target.closest('[data-row]');
      if (!row) return;
      // Marked in place: rows drawn afresh between the two clicks would make no double-click.
      setActive(Number(row.dataset.row));
      for (const other of row.parentElement.children) other.classList.toggle('active', other === row);
      announce();
    });
    element.addEventListener('keydown', (event) => {
      if (event.target !== element) return;  // the headings' own keys
      const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
      if (step < 0 && getActive() === 0) {
        element.querySelector('.head').focus();
        event.preventDefault();
      } else if (step) {
        setActive(Math.max(0, Math.min(count() - 1, getActive() + step)));
        const top = getActive() * kRowHeight;
        if (top < element.scrollTop) element.scrollTop = top;
        if (top + kRowHeight > element.scrollTop + element.clientHeight - kHeadHeight) {
          element.scrollTop = top + kRowHeight - element.clientHeight + kHeadHeight;
        }
        showTypes();
        showLayers();
        event.preventDefault();
      } else if (event.key === 'Enter') {
        send(call, getActive());
        event.preventDefault();
      }
    });
  }
  list(byId('types'), () => (view ? view.types : 0), () => activeType, (row) => { activeType = row; },
       'ChooseType');
  list(byId('layers'), () => layerRows.length, () => activeLayer, (row) => { activeLayer = row; },
       'ChooseLayer');

  return {
    // The session's headings, once it is ready.
    headings({ types, layers }) {
      heads(byId('typesHead'), types, 'SortTypes', byId('types'));
      heads(byId('layersHead'), layers, 'SortLayers', byId('layers'));
    },
    first: () => typesFirst,
    visibleRows: visibleTypeRows,
    show(reply, shown) {
      view = shown;
      typeRows = reply.typeRows;
      typesFirst = reply.typesFirst;
      layerRows = reply.layerRows;
      showTypes();
      showLayers();
    },
  };
}
