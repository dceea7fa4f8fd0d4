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
  // node's children numbered consecutively from first[node]. With the executable, node 0 is the
  // whole file and its parts follow the symbols (from fileFirst on); a unit's node in a code section
  // stands for the unit itself (alias), shares its symbols, and the unit's parent is that section.
  let unitCount = 0, nodeCount = 0, total = 0;
  let names, parent, first, count, size, unitOf;
  let fileFirst = Infinity, fileSize = 0, vmSize = null, alias = null;
  const CODE_SECTIONS = new Set(['CODE', '.text', '.itext']);
  const isFileNode = (id) => id >= fileFirst || (id === ROOT && fileFirst !== Infinity);
  const shown = (id) => (alias[id] >= 0 ? alias[id] : id);
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

  function countNodes(roots) {
    let found = 0;
    const pending = roots.slice();
    while (pending.length) {
      const kids = pending.pop();
      found += kids.length;
      for (const kid of kids) if (kid.children && kid.children.length) pending.push(kid.children);
    }
    return found;
  }

  function buildModel(data) {
    units = data.units;
    unitCount = units.length;
    nodeCount = 1 + unitCount + countNodes(units.map((unit) => unit.symbols || []));
    const file = data.file && Array.isArray(data.file.parts) ? data.file : null;
    const symbolEnd = nodeCount;
    if (file) nodeCount += countNodes([file.parts]);
    names = new Array(nodeCount);
    parent = new Int32Array(nodeCount);
    first = new Int32Array(nodeCount);
    count = new Int32Array(nodeCount);
    size = new Float64Array(nodeCount);
    unitOf = new Int32Array(nodeCount);
    flags = new Uint8Array(nodeCount);
    alias = new Int32Array(nodeCount).fill(-1);
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
    for (let id = 1; id < symbolEnd; ++id) {
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
    const aliases = file ? addFileNodes(file, symbolEnd, objects) : [];
    // The whole program is no name to find, nor a unit's node in a code section (the unit is found
    // by its own); everything else is found by its own name. Lower-casing the joined names at once is
    // much faster than name by name, and keeps every name's place unless some letter changes its
    // length.
    const rootName = names[ROOT];
    names[ROOT] = '';
    for (const id of aliases) names[id] = '';
    const joined = names.join('\n');
    hay = joined.toLowerCase();
    const lowered = hay.length === joined.length ? names : names.map((name) => name.toLowerCase());
    if (lowered !== names) hay = lowered.join('\n');
    starts = new Float64Array(nodeCount + 1);
    let position = 0;
    for (let id = 0; id < nodeCount; ++id) {
      starts[id] = position;
      position += lowered[id].length + 1;
    }
    starts[nodeCount] = position;
    names[ROOT] = rootName;
    for (const id of aliases) names[id] = names[alias[id]];
  }

  // The executable's parts from node `from` on, breadth first so that siblings stay consecutive;
  // returns the units' nodes of the code sections.
  function addFileNodes(file, from, objects) {
    const unitByName = new Map();
    for (let id = 1; id <= unitCount; ++id) unitByName.set(names[id], id);
    fileFirst = from;
    fileSize = Number(file.size) || 0;
    vmSize = new Float64Array(nodeCount);
    names[ROOT] = String(file.path || '').split(/[\\/]/).pop() || 'Whole file';
    size[ROOT] = fileSize;
    first[ROOT] = from;
    count[ROOT] = file.parts.length;
    const aliases = [];
    let next = from;
    const place = (kids, up) => {
      first[up] = next;
      count[up] = kids.length;
      for (const kid of kids) {
        objects[next] = kid;
        names[next] = String(kid.name);
        size[next] = Number(kid.file_size) || 0;
        vmSize[next] = Number(kid.vm_size) || 0;
        parent[next] = up;
        unitOf[next] = up === ROOT ? unitCount + 1 + next - from : unitOf[up];
        ++next;
      }
    };
    place(file.parts, ROOT);
    for (let id = from; id < nodeCount; ++id) {
      const kid = objects[id];
      objects[id] = null;
      const childless = !(kid.children && kid.children.length);
      const inCode = parent[id] !== ROOT && parent[parent[id]] === ROOT && CODE_SECTIONS.has(names[parent[id]]);
      const unit = kid.unit && childless && inCode ? unitByName.get(names[id]) : undefined;
      if (unit === undefined) {
        place(kid.children || [], id);
        continue;
      }
      // The unit's own symbols; the first code section holding it becomes its parent.
      alias[id] = unit;
      unitOf[id] = unit;
      first[id] = first[unit];
      count[id] = count[unit];
      if (parent[unit] === ROOT) parent[unit] = parent[id];
      aliases.push(id);
    }
    return aliases;
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

  // A symbol by its unit's name and its own; a part of the file by its path.
  function qualifiedName(id) {
    const parts = [];
    const inFile = isFileNode(id);
    for (let up = id; up !== ROOT && isFileNode(up) === inFile; up = parent[up]) parts.push(names[up]);
    return parts.reverse().join(inFile ? ' › ' : '.');
  }

  const share = (n) => (total > 0 ? (100 * n / total).toFixed(2) : '0.00') + ' %';
  const fileShare = (n) => (fileSize > 0 ? (100 * n / fileSize).toFixed(2) : '0.00') + ' %';

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
      const found = flags[shown(k)];
      if (query) tile.classList.add(found & 1 ? 'hit' : found ? 'held' : 'dim');
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
    sizeNote.textContent = isFileNode(zoom)
      ? ' — ' + bytes(size[zoom]) + ' bytes in the file, ' + bytes(zoom === ROOT ? totalVm() : vmSize[zoom]) +
        ' in memory, ' + fileShare(size[zoom]) + ' of the file'
      : ' — ' + bytes(size[zoom]) + ' bytes, ' + share(size[zoom]);
    nav.append(sizeNote);
  }

  function totalVm() {
    let sum = 0;
    for (let k = first[ROOT], end = first[ROOT] + count[ROOT]; k < end; ++k) sum += vmSize[k];
    return sum;
  }

  function zoomTo(id, keepFragment) {
    id = shown(id);
    if (id !== ROOT && !count[id]) id = parent[id];
    if (id === zoom) return;
    zoom = id;
    drawTreemap();
    showWhy();
    if (!keepFragment) writeFragment();
  }

  function showTooltip(event) {
    const tip = byId('tooltip');
    const tile = event.target.closest('.tm-node');
    if (!tile || !tile.dataset.id) {
      if (tile && tile.dataset.rest) {
        tip.replaceChildren(isFileNode(Number(tile.dataset.rest)) ? 'Smaller parts'
          : 'Smaller items and code outside the public symbols');
        placeTooltip(tip, event);
        return;
      }
      tip.hidden = true;
      return;
    }
    const tileId = Number(tile.dataset.id);
    const id = isFileNode(tileId) && alias[tileId] < 0 ? tileId : shown(tileId);
    const name = document.createElement('div');
    name.className = 'tt-name';
    name.textContent = qualifiedName(id);
    const figures = document.createElement('div');
    const children = count[id] ? ' · ' + bytes(count[id]) + (count[id] === 1 ? ' child' : ' children') : '';
    figures.textContent = isFileNode(id)
      ? bytes(size[id]) + ' bytes in the file · ' + bytes(vmSize[id]) + ' in memory · ' + fileShare(size[id]) +
        ' of the file' + children
      : bytes(size[tileId]) + ' bytes' + (tileId !== id ? ' in ' + names[parent[tileId]] : '') + ' · ' +
        share(size[id]) + ' of the code' + children;
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
    // A unit's name opens it in the treemap (and the Why linked panel), from the keyboard too.
    const name = document.createElement(depth === 0 ? 'button' : 'span');
    name.className = 'name';
    if (depth === 0) {
      name.type = 'button';
      name.classList.add('zoom-unit');
      name.dataset.zoom = String(id);
      name.title = 'Show in the treemap';
    }
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


  // ---- why linked: the unit graph ------------------------------------------------------------

  // The graph as embedded (see the writer): per unit its name, code, whether its uses are known,
  // its edges (unit used × 64 + kind + 4 × origin + 16 imports + 32 conditional), its immediate
  // dominator and retained size. The walks below answer as the command line's why does.
  let graph = null;
  let graphUnit = new Map(); // lower-case name to graph unit
  let walkOrder, walkSequence, users;
  const KINDS = ['interface', 'implementation', 'program'];
  const ORIGINS = ['dcu', 'source', 'exe'];
  const MAX_CHAINS = 3;
  const KEPT_ROWS = 300;
  const edgeTo = (edge) => Math.floor(edge / 64);

  function edgeText(edge) {
    const bits = edge % 64;
    let text = KINDS[bits & 3] + ', ' + ORIGINS[(bits >> 2) & 3];
    if (bits & 32) text += ', conditional';
    if (!(bits & 16)) text += ', initialization only';
    return text;
  }

  // Breadth-first from the program, never entering avoid: the order of discovery, and each unit's
  // parent and the index of the edge that reached it.
  function walk(avoid) {
    const n = graph.names.length;
    const order = new Int32Array(n).fill(-1), up = new Int32Array(n).fill(-1), upEdge = new Int32Array(n).fill(-1);
    const sequence = [];
    if (graph.root >= 0 && graph.root !== avoid) {
      order[graph.root] = 0;
      sequence.push(graph.root);
    }
    for (let next = 0; next < sequence.length; ++next) {
      const unit = sequence[next], uses = graph.uses[unit];
      for (let e = 0; e < uses.length; ++e) {
        const to = edgeTo(uses[e]);
        if (to === avoid || order[to] >= 0) continue;
        order[to] = sequence.length;
        up[to] = unit;
        upEdge[to] = e;
        sequence.push(to);
      }
    }
    return { order, up, upEdge, sequence };
  }

  function readGraph(data) {
    if (!data || !Array.isArray(data.names)) return;
    graph = data;
    const n = graph.names.length;
    graph.names.forEach((name, unit) => graphUnit.set(String(name).toLowerCase(), unit));
    const whole = walk(-1);
    walkOrder = whole.order;
    walkSequence = whole.sequence;
    // A unit's users in the walk's order, the unreachable after them by name.
    const all = Array.from({ length: n }, (_, unit) => unit);
    const lower = graph.names.map((name) => String(name).toLowerCase());
    all.sort((a, b) => {
      const oa = walkOrder[a], ob = walkOrder[b];
      if ((oa < 0) !== (ob < 0)) return oa < 0 ? 1 : -1;
      if (oa >= 0) return oa - ob;
      return lower[a] < lower[b] ? -1 : lower[a] > lower[b] ? 1 : 0;
    });
    users = Array.from({ length: n }, () => []);
    for (const unit of all) for (const edge of graph.uses[unit]) users[edgeTo(edge)].push(unit);
  }

  function usedBy(unit) {
    const found = [];
    for (const user of users[unit])
      for (const edge of graph.uses[user]) if (edgeTo(edge) === unit) found.push({ unit: user, edge });
    return found;
  }

  // Up to max chains from the program, each through another direct user, the shortest first.
  function chains(unit, max) {
    if (walkOrder[unit] < 0) return [];
    if (unit === graph.root) return [[{ unit, edge: null }]];
    const avoiding = walk(unit);
    const found = [];
    for (const user of usedBy(unit)) {
      if (avoiding.order[user.unit] < 0) continue;
      const chain = [{ unit, edge: user.edge }];
      for (let at = user.unit; at >= 0; at = avoiding.up[at]) {
        const up = avoiding.up[at];
        chain.push({ unit: at, edge: up < 0 ? null : graph.uses[up][avoiding.upEdge[at]] });
      }
      found.push(chain.reverse());
    }
    const userOrder = (chain) => avoiding.order[chain[chain.length - 2].unit];
    found.sort((a, b) => a.length - b.length || userOrder(a) - userOrder(b));
    return found.slice(0, max);
  }

  function dominates(dominator, unit) {
    for (let at = unit; at >= 0; at = graph.idom[at]) if (at === dominator) return true;
    return false;
  }

  // The units that leave with unit: itself first, then in the walk's order.
  function keeps(unit) {
    const kept = [];
    if (walkOrder[unit] < 0) return kept;
    for (let i = walkOrder[unit]; i < walkSequence.length; ++i)
      if (dominates(unit, walkSequence[i])) kept.push(walkSequence[i]);
    return kept;
  }

  // The unit a node belongs to: the unit's row, its symbols, its node in a code section; none for
  // the whole program and the file's other parts.
  function unitFor(id) {
    id = shown(id);
    while (id > unitCount && !isFileNode(id)) id = parent[id];
    return id >= 1 && id <= unitCount ? id : 0;
  }

  function whyUnitLink(graphUnitId, detail) {
    const item = document.createElement('li');
    const name = String(graph.names[graphUnitId]);
    const id = reportUnit(name);
    if (id) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'unit-link';
      button.dataset.unit = String(id);
      button.textContent = name;
      button.title = 'Go to ' + name;
      item.append(button);
    } else {
      const span = document.createElement('span');
      span.className = 'unit-name';
      span.textContent = name;
      item.append(span);
    }
    const note = document.createElement('span');
    note.className = 'why-detail';
    note.textContent = detail;
    item.append(note);
    return item;
  }

  let reportUnitByName = null;
  function reportUnit(name) {
    if (!reportUnitByName) {
      reportUnitByName = new Map();
      for (let id = 1; id <= unitCount; ++id) reportUnitByName.set(names[id].toLowerCase(), id);
    }
    return reportUnitByName.get(name.toLowerCase()) || 0;
  }

  function whySection(body, caption, list) {
    const heading = document.createElement('h3');
    heading.textContent = caption;
    body.append(heading, list);
  }

  let whyAllKept = false, whyShown = -1;
  function showWhy() {
    const panel = byId('why');
    if (!graph) return;
    panel.hidden = false;
    const summary = byId('why-summary');
    const body = byId('why-body');
    body.replaceChildren();
    const id = unitFor(zoom);
    if (id !== whyShown) whyAllKept = false;
    whyShown = id;
    if (!id) {
      summary.textContent = 'Open a unit (click its tile) to see why it is linked.';
      return;
    }
    const name = names[id];
    const unit = graphUnit.get(name.toLowerCase());
    if (unit === undefined) {
      summary.textContent = name + ' is not linked into the program.';
      return;
    }
    const code = bytes(graph.code[unit]) + ' bytes of code.';
    if (walkOrder[unit] < 0) {
      summary.textContent = name + ': ' + code + ' No chain from the program is known: units on the way have ' +
        'unknown uses (no .dcu file or source below the search folder).';
    } else {
      const kept = keeps(unit);
      const upper = graph.upper.includes(unit);
      summary.textContent = name + ': ' + code + ' Removing it saves ' + (upper ? 'up to ' : '') +
        bytes(graph.retained[unit]) + ' bytes in ' + (kept.length === 1 ? '1 unit' : bytes(kept.length) + ' units') + '.';
    }
    chains(unit, MAX_CHAINS).forEach((chain, c) => {
      const list = document.createElement('ol');
      list.className = 'why-chain';
      for (const step of chain)
        list.append(whyUnitLink(step.unit, step.edge === null ? 'the program' : edgeText(step.edge)));
      whySection(body, c === 0 ? 'Shortest chain from the program' : 'Chain ' + (c + 1), list);
    });
    const direct = usedBy(unit);
    const usersList = document.createElement('ul');
    for (const user of direct) usersList.append(whyUnitLink(user.unit, edgeText(user.edge)));
    whySection(body, 'Used directly by (' + bytes(direct.length) + ')', usersList);
    const kept = keeps(unit);
    if (!kept.length) return;
    const keptList = document.createElement('ul');
    const shownKept = whyAllKept ? kept.length : Math.min(kept.length, KEPT_ROWS);
    for (let i = 0; i < shownKept; ++i) keptList.append(whyUnitLink(kept[i], bytes(graph.code[kept[i]]) + ' bytes'));
    if (shownKept < kept.length) {
      const item = document.createElement('li');
      const more = document.createElement('button');
      more.type = 'button';
      more.className = 'why-more';
      more.textContent = 'Show all ' + bytes(kept.length) + ' (' + bytes(kept.length - shownKept) + ' more)';
      item.append(more);
      keptList.append(item);
    }
    whySection(body, 'Keeps alive (' + bytes(graph.retained[unit]) + ' bytes' +
      (graph.upper.includes(unit) ? ', an upper bound: units of unknown uses may use some of them' : '') + ')', keptList);
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

  function childNamed(id, name) {
    for (let k = first[id], end = first[id] + count[id]; k < end; ++k) if (names[k] === name) return k;
    return -1;
  }

  // With the executable a path begins with its part ("CODE/Unit/Class"); a path that begins with
  // a unit's name, as without one, still finds the unit.
  function nodeAtPath(path) {
    let id = ROOT;
    const parts = path.split('/');
    for (let i = 0; i < parts.length; ++i) {
      const name = decodeURIComponent(parts[i]);
      let found = childNamed(id, name);
      if (found < 0 && i === 0 && fileFirst !== Infinity)
        for (let k = 1; k <= unitCount && found < 0; ++k) if (names[k] === name) found = k;
      if (found < 0) break;
      id = shown(found);
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
    showWhy();
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
      ['Symbols', bytes((fileFirst === Infinity ? nodeCount : fileFirst) - 1 - unitCount)],
    ];
    if (fileFirst !== Infinity) {
      facts.push(['Executable', String(data.file.path || '')]);
      facts.push(['File size', bytes(fileSize) + ' bytes (' + String(data.file.format || '') + ')']);
      byId('treemap').setAttribute('aria-label', 'Treemap of the whole executable');
    }
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
    byId('why').addEventListener('click', (event) => {
      const button = event.target.closest('button');
      if (!button) return;
      if (button.classList.contains('why-more')) {
        whyAllKept = true;
        showWhy();
      } else if (button.dataset.unit) {
        zoomTo(Number(button.dataset.unit));
        const again = document.querySelector('#why button[data-unit="' + button.dataset.unit + '"]');
        if (again) again.focus();
      }
    });
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
      if (button.dataset.zoom) {
        zoomTo(Number(button.dataset.zoom));
        byId('view').scrollIntoView({ block: 'nearest' });
        return;
      }
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
    const graphSource = byId('quillon-graph');
    readGraph(JSON.parse(graphSource.textContent));
    graphSource.textContent = '';
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
