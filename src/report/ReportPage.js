'use strict';
// The report page: reads the embedded analysis once into flat arrays, then draws only what is
// visible (the treemap of the zoomed node two levels deep, the table rows of opened nodes), so that
// a MAP file of millions of symbols stays usable. Names are untrusted: they only ever reach the page
// as text nodes.
(function () {
  const byId = (id) => document.getElementById(id);

  function showFault(markerId, text) {
    let marker = byId(markerId);
    if (!marker) {
      marker = document.createElement('div');
      marker.id = markerId;
      marker.className = 'error';
      document.body.prepend(marker);
    }
    marker.textContent += (marker.textContent ? '\n' : '') + text;
  }
  window.addEventListener('error', (e) => showFault('script-error', 'Script error: ' + e.message));
  window.addEventListener('unhandledrejection', (e) => showFault('script-error', 'Script error: ' + e.reason));
  document.addEventListener('securitypolicyviolation', (e) =>
    showFault('csp-violation', 'Blocked by the page\'s security policy: ' + e.violatedDirective + ' ' + e.blockedURI));

  const numberFormat = new Intl.NumberFormat('en-US');
  const bytes = (n) => numberFormat.format(n);
  const ROOT = 0;
  const MIN_AREA = 6; // square pixels below which a treemap tile is folded into the rest
  const CHILD_ROWS = 1000; // table rows shown per opened node before a "show all" row
  const AUTO_OPEN_MATCHES = 300;

  // The model: node 0 is the whole program, nodes 1..unitCount the units, then the symbols, every
  // node's children numbered consecutively from first[node].
  let unitCount = 0, nodeCount = 0, total = 0;
  let names, parent, first, count, size, unitOf;
  let units = []; // the unit objects of the data, without their symbol trees
  let hay = '', starts; // the lower-cased names joined by '\n', and where each one starts
  let flags; // per node while searching: 1 matches, 2 holds a match
  let query = '', matches = 0;
  let zoom = ROOT;
  const opened = new Set(); // by the user
  const searchOpened = new Set(); // to show the matches of the current search, when they are few
  const isOpen = (id) => opened.has(id) || searchOpened.has(id);
  const rowLimit = new Map();
  let sortKey = 'size', sortDescending = true;

  function buildModel(data) {
    units = data.units;
    unitCount = units.length;
    nodeCount = 1 + unitCount;
    const pending = [];
    for (const unit of units) pending.push(unit.symbols || []);
    while (pending.length) {
      const kids = pending.pop();
      nodeCount += kids.length;
      for (const kid of kids) if (kid.children.length) pending.push(kid.children);
    }
    names = new Array(nodeCount);
    parent = new Int32Array(nodeCount);
    first = new Int32Array(nodeCount);
    count = new Int32Array(nodeCount);
    size = new Float64Array(nodeCount);
    unitOf = new Int32Array(nodeCount);
    flags = new Uint8Array(nodeCount);
    const objects = new Array(nodeCount);
    names[ROOT] = 'All units';
    total = Number(data.total_code_size) || 0;
    size[ROOT] = total;
    first[ROOT] = 1;
    count[ROOT] = unitCount;
    let next = 1 + unitCount;
    for (let i = 0; i < unitCount; ++i) {
      const id = 1 + i, unit = units[i];
      names[id] = String(unit.name);
      size[id] = unit.code_size;
      unitOf[id] = id;
      objects[id] = unit.symbols || [];
      unit.symbols = null;
    }
    for (let id = 1; id < nodeCount; ++id) {
      const kids = id <= unitCount ? objects[id] : objects[id].children;
      objects[id] = null;
      first[id] = next;
      count[id] = kids.length;
      for (const kid of kids) {
        objects[next] = kid;
        names[next] = String(kid.name);
        size[next] = kid.size;
        parent[next] = id;
        unitOf[next] = unitOf[id];
        ++next;
      }
    }
    // The whole program is no name to find; everything else is found by its own name. Lower-casing
    // the joined names at once is much faster than name by name, and keeps every name's place unless
    // some letter changes its length.
    names[ROOT] = '';
    const joined = names.join('\n');
    hay = joined.toLowerCase();
    const lowered = hay.length === joined.length ? names : names.map((name) => name.toLowerCase());
    if (lowered !== names) hay = lowered.join('\n');
    names[ROOT] = 'All units';
    starts = new Float64Array(nodeCount + 1);
    let position = 0;
    for (let id = 0; id < nodeCount; ++id) {
      starts[id] = position;
      position += (id === ROOT ? 0 : lowered[id].length) + 1;
    }
    starts[nodeCount] = position;
  }

  // ---- search -------------------------------------------------------------------------------

  function runSearch(text) {
    query = text.replace(/[\r\n]/g, '');
    flags.fill(0);
    matches = 0;
    searchOpened.clear();
    const needle = query.toLowerCase();
    if (needle) {
      let id = 1;
      let at = hay.indexOf(needle, starts[1]);
      while (at !== -1) {
        while (starts[id + 1] <= at) ++id;
        flags[id] |= 1;
        ++matches;
        for (let up = parent[id]; up !== ROOT && !(flags[up] & 2); up = parent[up]) flags[up] |= 2;
        at = hay.indexOf(needle, starts[id + 1]);
      }
      if (matches <= AUTO_OPEN_MATCHES)
        for (let id = 1; id < nodeCount; ++id) if (flags[id] & 2) searchOpened.add(id);
    }
    showMatchCount();
    document.body.classList.toggle('searching', needle !== '');
  }

  function showMatchCount() {
    const output = byId('match-count');
    if (!query) {
      output.textContent = '';
      return;
    }
    let hitUnits = 0, hitBytes = 0;
    for (let id = 1; id <= unitCount; ++id) {
      if (flags[id]) {
        ++hitUnits;
        hitBytes += size[id];
      }
    }
    output.textContent = matches + (matches === 1 ? ' match' : ' matches') + ' · ' + bytes(hitBytes) +
      ' bytes in ' + bytes(hitUnits) + (hitUnits === 1 ? ' unit' : ' units') + ' holding them';
  }

  // While searching, the table shows the matches and what holds them; below a node whose own name
  // matches, its whole subtree.
  const visible = (id, wholeSubtree) => !query || wholeSubtree || flags[id] !== 0;

  // Writes name into element as text, the matched part marked.
  function appendName(element, name) {
    const needle = query.toLowerCase();
    const lower = name.toLowerCase();
    let from = 0;
    let at = needle && lower.length === name.length ? lower.indexOf(needle) : -1;
    while (at !== -1) {
      if (at > from) element.append(name.slice(from, at));
      const mark = document.createElement('mark');
      mark.textContent = name.slice(at, at + needle.length);
      element.append(mark);
      from = at + needle.length;
      at = lower.indexOf(needle, from);
    }
    if (from < name.length) element.append(name.slice(from));
  }

  function qualifiedName(id) {
    const parts = [];
    for (let up = id; up !== ROOT; up = parent[up]) parts.push(names[up]);
    return parts.reverse().join('.');
  }

  const share = (n) => (total > 0 ? (100 * n / total).toFixed(2) : '0.00') + ' %';

  // ---- treemap ------------------------------------------------------------------------------

  function unitHue(id) {
    return (unitOf[id] * 137.508) % 360;
  }
  function tileColour(id, depth, index) {
    if (zoom === ROOT && depth === 1) return 'hsl(' + unitHue(id) + ' 58% 64%)';
    const lightness = (zoom === ROOT ? 78 : depth === 1 ? 66 : 80) + (index % 3) * 3;
    return 'hsl(' + unitHue(id) + ' ' + (zoom === ROOT ? 45 : 52) + '% ' + lightness + '%)';
  }

  // Squarified layout of values (largest first, summing to the area of w × h) into rectangles.
  function squarify(values, x, y, w, h) {
    const rects = new Array(values.length);
    let i = 0;
    while (i < values.length) {
      const side = Math.min(w, h);
      let j = i, sum = 0, worst = Infinity, smallest = Infinity, largest = 0;
      while (j < values.length) {
        const v = values[j];
        const s = sum + v, lo = Math.min(smallest, v), hi = Math.max(largest, v);
        const ratio = Math.max((side * side * hi) / (s * s), (s * s) / (side * side * lo));
        if (ratio > worst) break;
        worst = ratio;
        sum = s;
        smallest = lo;
        largest = hi;
        ++j;
      }
      const thickness = side > 0 ? sum / side : 0;
      let offset = 0;
      for (let k = i; k < j; ++k) {
        const length = thickness > 0 ? values[k] / thickness : 0;
        rects[k] = w >= h ? [x, y + offset, thickness, length] : [x + offset, y, length, thickness];
        offset += length;
      }
      if (w >= h) {
        x += thickness;
        w -= thickness;
      } else {
        y += thickness;
        h -= thickness;
      }
      i = j;
    }
    return rects;
  }

  function childrenBySize(id) {
    const kids = [];
    for (let k = first[id], end = first[id] + count[id]; k < end; ++k) if (size[k] > 0) kids.push(k);
    return kids.sort((a, b) => size[b] - size[a] || a - b);
  }

  function layTiles(id, x, y, w, h, depth, container) {
    const kids = childrenBySize(id);
    let sum = 0;
    for (const k of kids) sum += size[k];
    const whole = Math.max(size[id], sum);
    if (whole <= 0 || w < 2 || h < 2) return;
    const scale = (w * h) / whole;
    const values = [], ids = [];
    let rest = whole;
    for (const k of kids) {
      if (size[k] * scale < MIN_AREA) break;
      values.push(size[k] * scale);
      ids.push(k);
      rest -= size[k];
    }
    if (rest * scale >= 1) {
      values.push(rest * scale);
      ids.push(-1);
    }
    const rects = squarify(values, x, y, w, h);
    for (let i = 0; i < ids.length; ++i) {
      const [rx, ry, rw, rh] = rects[i];
      const tile = document.createElement('div');
      tile.className = 'tm-node';
      tile.style.left = rx + 'px';
      tile.style.top = ry + 'px';
      tile.style.width = rw + 'px';
      tile.style.height = rh + 'px';
      const k = ids[i];
      if (k < 0) {
        tile.classList.add('tm-rest');
        tile.dataset.rest = String(id);
        container.append(tile);
        continue;
      }
      tile.dataset.id = String(k);
      tile.dataset.depth = String(depth);
      tile.style.background = tileColour(k, depth, i);
      if (!count[k]) tile.classList.add('tm-leaf');
      if (query) tile.classList.add(flags[k] & 1 ? 'hit' : flags[k] ? 'held' : 'dim');
      if (rw >= 28 && rh >= 15) {
        const label = document.createElement('span');
        label.className = 'tm-label';
        label.textContent = names[k];
        tile.append(label);
      }
      container.append(tile);
      if (depth === 1 && count[k] && rw >= 48 && rh >= 40)
        layTiles(k, 2, 17, rw - 6, rh - 20, depth + 1, tile);
    }
  }

  function drawTreemap() {
    const map = byId('treemap');
    map.replaceChildren();
    layTiles(zoom, 0, 0, map.clientWidth, map.clientHeight, 1, map);
    drawBreadcrumb();
  }

  function drawBreadcrumb() {
    const crumbs = [];
    for (let up = zoom; ; up = parent[up]) {
      crumbs.push(up);
      if (up === ROOT) break;
    }
    crumbs.reverse();
    const nav = byId('breadcrumb');
    nav.replaceChildren();
    crumbs.forEach((id, i) => {
      if (i) {
        const sep = document.createElement('span');
        sep.className = 'sep';
        sep.textContent = '›';
        nav.append(sep);
      }
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.id = String(id);
      button.textContent = names[id];
      if (id === zoom) button.setAttribute('aria-current', 'location');
      nav.append(button);
    });
    const sizeNote = document.createElement('span');
    sizeNote.className = 'sep';
    sizeNote.textContent = ' — ' + bytes(size[zoom]) + ' bytes, ' + share(size[zoom]);
    nav.append(sizeNote);
  }

  function zoomTo(id, keepFragment) {
    if (id !== ROOT && !count[id]) id = parent[id];
    if (id === zoom) return;
    zoom = id;
    drawTreemap();
    if (!keepFragment) writeFragment();
  }

  function showTooltip(event) {
    const tip = byId('tooltip');
    const tile = event.target.closest('.tm-node');
    if (!tile || !tile.dataset.id) {
      if (tile && tile.dataset.rest) {
        tip.replaceChildren('Smaller items and code outside the public symbols');
        placeTooltip(tip, event);
        return;
      }
      tip.hidden = true;
      return;
    }
    const id = Number(tile.dataset.id);
    const name = document.createElement('div');
    name.className = 'tt-name';
    name.textContent = qualifiedName(id);
    const figures = document.createElement('div');
    figures.textContent = bytes(size[id]) + ' bytes · ' + share(size[id]) + ' of the code' +
      (count[id] ? ' · ' + bytes(count[id]) + (count[id] === 1 ? ' child' : ' children') : '');
    tip.replaceChildren(name, figures);
    placeTooltip(tip, event);
  }

  function placeTooltip(tip, event) {
    tip.hidden = false;
    const x = Math.min(event.clientX + 14, window.innerWidth - tip.offsetWidth - 4);
    const y = event.clientY + 18 + tip.offsetHeight > window.innerHeight ? event.clientY - tip.offsetHeight - 8 : event.clientY + 18;
    tip.style.left = Math.max(0, x) + 'px';
    tip.style.top = Math.max(0, y) + 'px';
  }

  // ---- table --------------------------------------------------------------------------------

  const ratioValue = (unit) => (unit.ratio === '-' ? -1 : Number(unit.ratio));
  function compareNodes(a, b) {
    let order = 0;
    if (sortKey === 'name') {
      const x = names[a].toLowerCase(), y = names[b].toLowerCase();
      order = x < y ? -1 : x > y ? 1 : 0;
    } else if (sortKey === 'dfm' && a <= unitCount && b <= unitCount) {
      order = units[a - 1].dfm_size - units[b - 1].dfm_size;
    } else if (sortKey === 'ratio' && a <= unitCount && b <= unitCount) {
      order = ratioValue(units[a - 1]) - ratioValue(units[b - 1]);
    } else {
      order = size[a] - size[b];
    }
    if (sortDescending) order = -order;
    return order || a - b;
  }

  function cell(row, text, className) {
    const td = document.createElement('td');
    if (className) td.className = className;
    td.textContent = text;
    row.append(td);
    return td;
  }

  function nameCell(row, id, depth) {
    const td = document.createElement('td');
    td.style.paddingLeft = 8 + depth * 18 + 'px';
    if (count[id]) {
      const toggle = document.createElement('button');
      toggle.type = 'button';
      toggle.className = 'toggle';
      toggle.dataset.id = String(id);
      toggle.setAttribute('aria-expanded', String(isOpen(id)));
      toggle.setAttribute('aria-label', (isOpen(id) ? 'Close ' : 'Open ') + names[id]);
      toggle.textContent = isOpen(id) ? '▾' : '▸';
      td.append(toggle);
    } else {
      const space = document.createElement('span');
      space.className = 'toggle-space';
      td.append(space);
    }
    if (depth === 0) {
      const swatch = document.createElement('span');
      swatch.className = 'swatch';
      swatch.style.background = 'hsl(' + unitHue(id) + ' 58% 64%)';
      td.append(swatch);
    }
    const name = document.createElement('span');
    name.className = 'name';
    appendName(name, names[id]);
    td.append(name);
    row.append(td);
  }

  function appendRows(body, id, depth, whole) {
    const row = document.createElement('tr');
    row.dataset.id = String(id);
    if (depth === 0) {
      const unit = units[id - 1];
      row.className = 'unit';
      nameCell(row, id, depth);
      cell(row, bytes(size[id]), 'num');
      cell(row, Number(unit.percent).toFixed(2) + ' %', 'num');
      cell(row, unit.dfm_size ? bytes(unit.dfm_size) : '-', 'num');
      cell(row, String(unit.ratio), 'num');
    } else {
      row.className = 'sym';
      nameCell(row, id, depth);
      cell(row, bytes(size[id]), 'num');
      cell(row, share(size[id]), 'num');
      cell(row, '', 'num');
      cell(row, '', 'num');
    }
    if (query && flags[id] & 1) row.classList.add('hit');
    body.append(row);
    if (!isOpen(id)) return;
    const subtree = whole || (query !== '' && (flags[id] & 1) !== 0);
    const kids = [];
    for (let k = first[id], end = first[id] + count[id]; k < end; ++k) if (visible(k, subtree)) kids.push(k);
    kids.sort(compareNodes);
    const limit = rowLimit.get(id) || CHILD_ROWS;
    for (let i = 0; i < kids.length && i < limit; ++i) appendRows(body, kids[i], depth + 1, subtree);
    if (kids.length > limit) {
      const more = document.createElement('tr');
      more.className = 'more';
      const td = cell(more, '', '');
      td.colSpan = 5;
      td.style.paddingLeft = 8 + (depth + 1) * 18 + 20 + 'px';
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.more = String(id);
      button.textContent = 'Show all ' + bytes(kids.length) + ' (' + bytes(kids.length - limit) + ' more)';
      td.append(button);
      body.append(more);
    }
  }

  function drawTable() {
    const body = document.querySelector('#units tbody');
    const rows = document.createDocumentFragment();
    const shown = [];
    for (let id = 1; id <= unitCount; ++id) if (visible(id, false)) shown.push(id);
    shown.sort(compareNodes);
    for (const id of shown) appendRows(rows, id, 0, false);
    body.replaceChildren(rows);
    for (const th of document.querySelectorAll('#units th')) {
      if (th.dataset.key === sortKey) th.setAttribute('aria-sort', sortDescending ? 'descending' : 'ascending');
      else th.removeAttribute('aria-sort');
    }
  }

  // ---- the fragment: #search=TEXT&zoom=Unit/Class --------------------------------------------

  function readFragment() {
    const fields = {};
    for (const part of location.hash.replace(/^#/, '').split('&')) {
      const equals = part.indexOf('=');
      if (equals < 0) continue;
      try {
        fields[part.slice(0, equals)] = decodeURIComponent(part.slice(equals + 1));
      } catch (e) {
        // A damaged escape in a hand-written link: the field is ignored.
      }
    }
    return fields;
  }

  function nodeAtPath(path) {
    let id = ROOT;
    for (const part of path.split('/')) {
      const name = decodeURIComponent(part);
      let found = -1;
      for (let k = first[id], end = first[id] + count[id]; k < end; ++k) {
        if (names[k] === name) {
          found = k;
          break;
        }
      }
      if (found < 0) break;
      id = found;
    }
    return id;
  }

  function writeFragment() {
    const fields = [];
    if (query) fields.push('search=' + encodeURIComponent(query));
    if (zoom !== ROOT) {
      const path = [];
      for (let up = zoom; up !== ROOT; up = parent[up]) path.push(encodeURIComponent(encodeURIComponent(names[up])));
      fields.push('zoom=' + path.reverse().join('/'));
    }
    history.replaceState(null, '', fields.length ? '#' + fields.join('&') : location.pathname + location.search);
  }

  function applyFragment() {
    const fields = readFragment();
    const text = fields.search || '';
    byId('search').value = text;
    runSearch(text);
    if (fields.zoom) {
      try {
        zoom = nodeAtPath(fields.zoom);
      } catch (e) {
        zoom = ROOT;
      }
      if (zoom !== ROOT && !count[zoom]) zoom = parent[zoom];
    } else {
      zoom = ROOT;
    }
    drawTreemap();
    drawTable();
  }

  // ---- start --------------------------------------------------------------------------------

  function fillHeader(data, report) {
    const map = String(data.map || '');
    byId('map-name').textContent = map.split(/[\\/]/).pop();
    document.title = 'Quillon report: ' + map.split(/[\\/]/).pop();
    const facts = [
      ['MAP file', map],
      ['MAP file date', report.map_date || 'unknown'],
      ['Units', bytes(unitCount)],
      ['Total code size', bytes(total) + ' bytes'],
      ['Code segment', bytes(data.code_segment_length) + ' bytes'],
      ['Symbols', bytes(nodeCount - 1 - unitCount)],
    ];
    if (report.grouping) facts.push(['Grouped by', report.grouping]);
    facts.push(['Quillon', report.version || '']);
    const list = byId('facts');
    for (const [term, value] of facts) {
      const pair = document.createElement('div');
      const dt = document.createElement('dt');
      dt.textContent = term;
      const dd = document.createElement('dd');
      dd.textContent = value;
      pair.append(dt, dd);
      list.append(pair);
    }
  }

  function wireEvents() {
    const search = byId('search');
    let pending = 0;
    search.addEventListener('input', () => {
      clearTimeout(pending);
      pending = setTimeout(() => {
        runSearch(search.value);
        drawTreemap();
        drawTable();
        writeFragment();
      }, nodeCount > 200000 ? 150 : 30);
    });
    const map = byId('treemap');
    map.addEventListener('click', (event) => {
      const tile = event.target.closest('.tm-node');
      if (tile && tile.dataset.id) zoomTo(Number(tile.dataset.id));
    });
    map.addEventListener('mousemove', showTooltip);
    map.addEventListener('mouseleave', () => (byId('tooltip').hidden = true));
    byId('breadcrumb').addEventListener('click', (event) => {
      const button = event.target.closest('button');
      if (button) zoomTo(Number(button.dataset.id));
    });
    document.querySelector('#units thead').addEventListener('click', (event) => {
      const th = event.target.closest('th');
      if (!th) return;
      if (sortKey === th.dataset.key) sortDescending = !sortDescending;
      else {
        sortKey = th.dataset.key;
        sortDescending = sortKey !== 'name';
      }
      drawTable();
    });
    document.querySelector('#units tbody').addEventListener('click', (event) => {
      const button = event.target.closest('button');
      if (!button) return;
      if (button.dataset.more) {
        rowLimit.set(Number(button.dataset.more), Infinity);
      } else {
        const id = Number(button.dataset.id);
        if (isOpen(id)) {
          opened.delete(id);
          searchOpened.delete(id);
        } else {
          opened.add(id);
        }
      }
      drawTable();
      const again = document.querySelector('#units tbody button[data-id="' + button.dataset.id + '"]');
      if (again) again.focus();
    });
    document.addEventListener('keydown', (event) => {
      const typing = event.target instanceof HTMLInputElement;
      if (event.key === '/' && !typing) {
        event.preventDefault();
        search.focus();
      } else if (event.key === 'Escape' && typing && search.value) {
        search.value = '';
        search.dispatchEvent(new Event('input'));
      } else if ((event.key === 'Escape' || event.key === 'Backspace') && !typing && zoom !== ROOT) {
        zoomTo(parent[zoom]);
      }
    });
    window.addEventListener('hashchange', applyFragment);
    // A new window size, or the table's scrollbar appearing, changes the treemap's room.
    // The observer runs once per frame at most, before the frame is painted.
    let room = map.clientWidth + 'x' + map.clientHeight;
    new ResizeObserver(() => {
      const now = map.clientWidth + 'x' + map.clientHeight;
      if (now === room) return;
      room = now;
      drawTreemap();
    }).observe(map);
  }

  function start() {
    const began = performance.now();
    const source = byId('quillon-data');
    const data = JSON.parse(source.textContent);
    // The text is no longer needed; dropping it halves what a large report keeps in memory.
    source.textContent = '';
    const report = JSON.parse(byId('quillon-report').textContent);
    buildModel(data);
    fillHeader(data, report);
    wireEvents();
    const searchBegan = performance.now();
    applyFragment();
    const searchTook = performance.now() - searchBegan;
    byId('status').textContent = '';
    // When the page was ready in milliseconds since it began to load, how much of that was reading
    // the data, and how long the fragment's search and the first drawing took: benchmarks and tests
    // wait for it.
    const now = performance.now();
    document.body.dataset.ready = [now, now - began, searchTook].map(Math.round).join(' ');
  }

  setTimeout(() => {
    try {
      start();
    } catch (e) {
      byId('status').textContent = '';
      showFault('script-error', 'The report could not be shown: ' + e);
    }
  }, 0);
})();
