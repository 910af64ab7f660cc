'use strict';
(function () {
  var data = document.getElementById('k-field');
  var figure = document.getElementById('k-figure');
  // One picture per view, laid out alike; `svg` is the one shown.
  var svgs = figure ? Array.prototype.slice.call(figure.querySelectorAll('svg')) : [];
  var svg = svgs[0];
  if (!data || !svg) return;
  var d = data.dataset;
  var originX = Number(d.originX), originY = Number(d.originY), scale = Number(d.scale);
  // The lines where the picture draws them (mm from its top-left corner)
  // and where the model places them.
  var pictureX = JSON.parse(d.pictureX), pictureY = JSON.parse(d.pictureY);
  var modelX = JSON.parse(d.x), modelY = JSON.parse(d.y);
  var names = JSON.parse(d.names);
  var materials = Number(d.materials), conditions = Number(d.conditions);
  var columns = pictureX.length;
  // Coordinates to about a pixel of the picture.
  var decimals = Math.max(0, Math.min(6, Math.ceil(Math.log10(scale))));
  var temperature = null, cells = null;

  function bytes(text) {
    var binary = atob(text), out = new Uint8Array(binary.length);
    for (var i = 0; i < binary.length; ++i) out[i] = binary.charCodeAt(i);
    return out;
  }
  // Decoded at the first use, so that a large page opens without waiting.
  function decode() {
    if (temperature) return;
    var t = new DataView(bytes(d.temperature).buffer);
    var values = new Float32Array(t.byteLength / 4);
    for (var i = 0; i < values.length; ++i) values[i] = t.getFloat32(4 * i, true);
    var c = bytes(d.cells), width = Number(d.cellBytes);
    if (width === 1) {
      cells = c;
    } else {
      var v = new DataView(c.buffer);
      cells = new Uint32Array(c.length / width);
      for (var k = 0; k < cells.length; ++k) {
        cells[k] = width === 2 ? v.getUint16(2 * k, true) : v.getUint32(4 * k, true);
      }
    }
    temperature = values;
  }
  // The interval i with lines[i] <= v <= lines[i + 1]; -1 outside.
  function interval(lines, v) {
    var lo = 0, hi = lines.length - 1;
    if (hi < 1 || !(v >= lines[0] && v <= lines[hi])) return -1;
    while (hi - lo > 1) {
      var mid = (lo + hi) >> 1;
      if (lines[mid] <= v) lo = mid; else hi = mid;
    }
    return lo;
  }
  function fraction(lines, i, v) {
    var size = lines[i + 1] - lines[i];
    return size > 0 ? (v - lines[i]) / size : 0;
  }
  // What lies at (x, y) mm from the picture's model corner: the model's
  // coordinates, the cell's entry and, in an element, the bilinear field.
  function sample(x, y) {
    var k = interval(pictureX, x), j = interval(pictureY, y);
    if (k < 0 || j < 0) return null;
    decode();
    var fx = fraction(pictureX, k, x), fy = fraction(pictureY, j, y);
    var at = {
      x: modelX[k] + fx * (modelX[k + 1] - modelX[k]),
      y: modelY[j] + fy * (modelY[j + 1] - modelY[j]),
      entry: cells[j * (columns - 1) + k],
      t: NaN
    };
    if (at.entry >= 1 && at.entry <= materials) {
      var p = j * columns + k, t = temperature;
      at.t = (1 - fx) * (1 - fy) * t[p] + fx * (1 - fy) * t[p + 1] +
             (1 - fx) * fy * t[p + columns] + fx * fy * t[p + columns + 1];
    }
    return at;
  }
  function what(entry) {
    var name = names[entry] === undefined ? '' : String(names[entry]);
    if (entry === 0) return 'void (adiabatic)';
    if (entry <= materials) return name;
    if (entry <= materials + conditions) return name + ' (condition)';
    return name + ' (fixed temperature)';
  }
  function number(v, places) {
    var text = Math.abs(v) < 1e9 ? v.toFixed(places) : v.toPrecision(6);
    return /^-0\.?0*$/.test(text) ? text.slice(1) : text;
  }
  // A detail file's temperatures are degrees Celsius; a grid file's unit is
  // its own.
  var unit = d.unit ? ' ' + d.unit : '';
  function temperatureText(t) { return isNaN(t) ? '\u2013' : number(t, 3) + unit; }

  var shown = {
    x: document.getElementById('k-x'), y: document.getElementById('k-y'),
    t: document.getElementById('k-t'), m: document.getElementById('k-m')
  };
  // The readout's values to full precision ride along as data-value.
  function show(at) {
    shown.x.textContent = at ? number(at.x, decimals) : '\u2013';
    shown.y.textContent = at ? number(at.y, decimals) : '\u2013';
    shown.t.textContent = at ? temperatureText(at.t) : '\u2013';
    shown.m.textContent = shown.m.title = at ? what(at.entry) : 'outside the model';
    shown.x.dataset.value = at ? String(at.x) : '';
    shown.y.dataset.value = at ? String(at.y) : '';
    shown.t.dataset.value = at && !isNaN(at.t) ? String(at.t) : '';
  }
  // A point of the window to mm from the picture's model corner.
  function pictureMm(clientX, clientY) {
    var m = svg.getScreenCTM();
    if (!m) return null;
    var p = new DOMPoint(clientX, clientY).matrixTransform(m.inverse());
    return { x: (p.x - originX) / scale, y: (p.y - originY) / scale };
  }

  var NS = 'http://www.w3.org/2000/svg';
  function draw(parent, tag, attributes) {
    var e = document.createElementNS(NS, tag);
    for (var a in attributes) e.setAttribute(a, attributes[a]);
    parent.appendChild(e);
    return e;
  }
  // Pins and the keyboard's cursor are drawn into every view.
  function each(f) { for (var i = 0; i < svgs.length; ++i) f(svgs[i], i); }
  var pinLayers = [], cursors = [];
  each(function (s) {
    pinLayers.push(draw(s, 'g', { 'class': 'k-pins' }));
    var c = draw(s, 'g', { 'class': 'k-cursor', visibility: 'hidden' });
    draw(c, 'line', { x1: -9, y1: 0, x2: 9, y2: 0 });
    draw(c, 'line', { x1: 0, y1: -9, x2: 0, y2: 9 });
    cursors.push(c);
  });
  function setCursor(name, value) {
    cursors.forEach(function (c) { c.setAttribute(name, value); });
  }
  var pinList = document.getElementById('k-pins');
  var clear = document.getElementById('k-clear');
  var pins = 0;

  function pin(mm) {
    var at = sample(mm.x, mm.y);
    if (!at) return;
    pins += 1;
    var px = originX + scale * mm.x, py = originY + scale * mm.y;
    pinLayers.forEach(function (layer) {
      var marker = draw(layer, 'g', { 'class': 'k-pin' });
      draw(marker, 'circle', { cx: px, cy: py, r: 4 });
      draw(marker, 'text', { x: px + 6, y: py - 6 }).textContent = String(pins);
    });
    var item = document.createElement('li');
    item.textContent = 'x ' + number(at.x, decimals) + ' mm, y ' + number(at.y, decimals) +
                       ' mm: ' + temperatureText(at.t) + ', ' + what(at.entry);
    pinList.appendChild(item);
    clear.disabled = false;
  }
  clear.addEventListener('click', function () {
    pinLayers.forEach(function (layer) { layer.textContent = ''; });
    pinList.textContent = '';
    pins = 0;
    clear.disabled = true;
  });

  function pointed(e) {
    var mm = pictureMm(e.clientX, e.clientY);
    show(mm && sample(mm.x, mm.y));
  }

  // Zoom and pan move every view's viewBox alike; the readout goes through
  // the picture's screen transform, so it stays exact at any zoom.
  var full = svg.viewBox.baseVal;
  var home = { x: full.x, y: full.y, w: full.width, h: full.height };
  var box = { x: home.x, y: home.y, w: home.w, h: home.h };
  var mostZoom = 200;
  function setBox(next) {
    var w = Math.min(home.w, Math.max(home.w / mostZoom, next.w));
    var h = w * home.h / home.w;
    box = { w: w, h: h,
            x: Math.min(home.x + home.w - w, Math.max(home.x, next.x)),
            y: Math.min(home.y + home.h - h, Math.max(home.y, next.y)) };
    each(function (s) { s.setAttribute('viewBox', box.x + ' ' + box.y + ' ' + box.w + ' ' + box.h); });
  }
  // Zooms by `factor` about the window point (clientX, clientY).
  function zoom(factor, clientX, clientY) {
    var m = svg.getScreenCTM();
    if (!m) return;
    var p = new DOMPoint(clientX, clientY).matrixTransform(m.inverse());
    setBox({ x: p.x - (p.x - box.x) / factor, y: p.y - (p.y - box.y) / factor,
             w: box.w / factor, h: box.h / factor });
  }
  function unitsPerPixel() {
    var r = svg.getBoundingClientRect();
    return r.width > 0 ? box.w / r.width : 1;
  }
  var pointers = {}, dragged = false, start = null;
  function down(e) {
    pointers[e.pointerId] = { x: e.clientX, y: e.clientY };
    start = { x: e.clientX, y: e.clientY };
    dragged = false;
    pointed(e);
  }
  function moved(e) {
    var was = pointers[e.pointerId];
    if (was && e.buttons) {
      var ids = Object.keys(pointers);
      if (ids.length === 2) {
        var other = pointers[ids[0] == e.pointerId ? ids[1] : ids[0]];
        var before = Math.hypot(was.x - other.x, was.y - other.y);
        var after = Math.hypot(e.clientX - other.x, e.clientY - other.y);
        if (before > 0 && after > 0) {
          zoom(after / before, (e.clientX + other.x) / 2, (e.clientY + other.y) / 2);
        }
      } else if (ids.length === 1) {
        var k = unitsPerPixel();
        setBox({ x: box.x - (e.clientX - was.x) * k, y: box.y - (e.clientY - was.y) * k,
                 w: box.w, h: box.h });
      }
      if (Math.hypot(e.clientX - start.x, e.clientY - start.y) > 4) dragged = true;
      pointers[e.pointerId] = { x: e.clientX, y: e.clientY };
    }
    pointed(e);
  }
  function up(e) { delete pointers[e.pointerId]; }
  each(function (s) {
    s.style.touchAction = 'none';
    s.addEventListener('pointermove', moved);
    s.addEventListener('pointerdown', down);
    s.addEventListener('pointerup', up);
    s.addEventListener('pointercancel', up);
    s.addEventListener('pointerleave', up);
    s.addEventListener('wheel', function (e) {
      e.preventDefault();
      zoom(Math.pow(1.0015, -e.deltaY * (e.deltaMode === 1 ? 33 : 1)), e.clientX, e.clientY);
      pointed(e);
    }, { passive: false });
    s.addEventListener('click', function (e) {
      if (dragged) return;
      var mm = pictureMm(e.clientX, e.clientY);
      if (mm) pin(mm);
    });
  });
  var reset = document.getElementById('k-reset');
  if (reset) reset.addEventListener('click', function () { setBox(home); });
  // A sheet shows the whole picture, whatever the screen was zoomed to.
  window.addEventListener('beforeprint', function () { setBox(home); });

  // The view switch: the temperature field or the materials map.
  var buttons = [document.getElementById('k-show-temperature'),
                 document.getElementById('k-show-materials')];
  var frames = [document.getElementById('k-view-temperature'),
                document.getElementById('k-view-materials')];
  buttons.forEach(function (button, i) {
    if (!button || !frames[i]) return;
    button.addEventListener('click', function () {
      frames.forEach(function (f, j) { f.hidden = j !== i; });
      buttons.forEach(function (b, j) { b.setAttribute('aria-pressed', String(j === i)); });
      svg = svgs[i];
    });
  });

  // The keyboard moves a cursor of its own, in steps of picture pixels.
  var keyed = null;
  var steps = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
  var width = pictureX[pictureX.length - 1], height = pictureY[pictureY.length - 1];
  figure.tabIndex = 0;
  figure.addEventListener('keydown', function (e) {
    if ((e.key === 'Enter' || e.key === ' ') && keyed) {
      e.preventDefault();
      pin(keyed);
      return;
    }
    var step = steps[e.key];
    if (!step) return;
    e.preventDefault();
    var by = (e.shiftKey ? 20 : 2) / scale;
    keyed = keyed ? { x: Math.min(width, Math.max(0, keyed.x + step[0] * by)),
                      y: Math.min(height, Math.max(0, keyed.y + step[1] * by)) }
                  : { x: width / 2, y: height / 2 };
    setCursor('transform', 'translate(' + (originX + scale * keyed.x) + ' ' +
              (originY + scale * keyed.y) + ')');
    setCursor('visibility', 'visible');
    show(sample(keyed.x, keyed.y));
  });
  figure.addEventListener('blur', function () { setCursor('visibility', 'hidden'); });
  document.getElementById('k-interactive').hidden = false;
  document.getElementById('k-pinned').hidden = false;
})();
