// The arrangement window's behaviour: zoom (buttons, Ctrl+wheel, the keys + - 0), the
// ruler's bar and beat marks for what is in view, the position under the pointer in bars,
// beats and seconds, and the mix's playhead (clicking the ruler seeks). Boxes are placed by
// the style from their quarter notes, so a zoom only sets --ppq and redraws the ruler.
(function () {
  'use strict';
  var arrangement = document.getElementById('arrangement');
  if (!arrangement) return;
  var scroller = document.getElementById('scroller');
  var ruler = document.getElementById('ruler');
  var marks = document.getElementById('ruler-marks');
  var position = document.getElementById('position');
  var zoomLevel = document.getElementById('zoom-level');
  var playhead = document.getElementById('playhead');
  var mix = document.getElementById('mix');

  var tempo = Number(arrangement.dataset.tempo) || 120;
  var numerator = Number(arrangement.dataset.numerator) || 4;
  var denominator = Number(arrangement.dataset.denominator) || 4;
  var extent = Number(arrangement.dataset.extent) || 16;
  var fit = Number(arrangement.dataset.fit) || extent;
  var beat = 4 / denominator;          // quarter notes per beat
  var bar = numerator * beat;          // quarter notes per bar
  var head = ruler.offsetLeft;         // the width of the header column
  // Chromium lays out at most some millions of pixels: the widest zoom stays below that.
  var maxPpq = Math.min(400, 4e6 / extent);
  var ppq = 8;

  function seconds(quarters) { return quarters * 60 / tempo; }
  function clock(s) {
    var ms = Math.round(s * 1000);
    var sec = Math.floor(ms / 1000) % 60;
    return Math.floor(ms / 60000) + ':' + (sec < 10 ? '0' : '') + sec + '.' + String(ms % 1000).padStart(3, '0');
  }
  function where(quarters) {
    var b = Math.floor(quarters / bar + 1e-9);
    var bt = Math.floor((quarters - b * bar) / beat + 1e-9);
    return (b + 1) + '.' + (bt + 1);
  }
  function visibleWidth() { return Math.max(100, scroller.clientWidth - head); }
  function minPpq() { return Math.min(visibleWidth() / extent, visibleWidth() / fit / 4); }

  // The marks of the bars (and beats, where they are far enough apart) in view.
  function drawRuler() {
    var from = Math.max(0, scroller.scrollLeft / ppq - bar);
    var to = Math.min(extent, (scroller.scrollLeft + visibleWidth()) / ppq + bar);
    var step = 1;
    while (step * bar * ppq < 44) step *= 2;
    var beats = step === 1 && beat * ppq >= 14;
    var fragment = document.createDocumentFragment();
    for (var b = Math.floor(from / bar / step) * step; b * bar <= to; b += step) {
      var q = b * bar;
      var line = document.createElement('div');
      line.className = 'bar-line';
      line.style.left = (q * ppq) + 'px';
      line.dataset.bar = String(b + 1);
      line.dataset.seconds = seconds(q).toFixed(3);
      line.title = 'Bar ' + (b + 1) + ' · ' + clock(seconds(q));
      var label = document.createElement('span');
      label.textContent = String(b + 1);
      line.appendChild(label);
      fragment.appendChild(line);
      for (var k = 1; beats && k < numerator; k++) {
        var tick = document.createElement('div');
        tick.className = 'beat-line';
        tick.style.left = ((q + k * beat) * ppq) + 'px';
        fragment.appendChild(tick);
      }
    }
    marks.replaceChildren(fragment);
  }

  var pending = false;
  function redraw() {
    if (pending) return;
    pending = true;
    requestAnimationFrame(function () { pending = false; drawRuler(); });
  }

  // Sets the zoom, keeping the quarter note at x (pixels from the lanes' left edge in view)
  // where it is.
  function zoomTo(next, x) {
    next = Math.max(minPpq(), Math.min(maxPpq, next));
    if (x === undefined) x = visibleWidth() / 2;
    var anchor = (scroller.scrollLeft + x) / ppq;
    ppq = next;
    arrangement.style.setProperty('--ppq', String(ppq));
    scroller.scrollLeft = Math.max(0, anchor * ppq - x);
    zoomLevel.textContent = (ppq * bar).toFixed(ppq * bar < 10 ? 1 : 0) + ' px per bar';
    drawRuler();
  }
  function fitSong() {
    scroller.scrollLeft = 0;
    zoomTo(visibleWidth() / fit, 0);
  }

  document.getElementById('zoom-in').addEventListener('click', function () { zoomTo(ppq * 1.5); });
  document.getElementById('zoom-out').addEventListener('click', function () { zoomTo(ppq / 1.5); });
  document.getElementById('zoom-fit').addEventListener('click', fitSong);
  scroller.addEventListener('wheel', function (event) {
    if (!event.ctrlKey) return;
    event.preventDefault();
    var x = event.clientX - scroller.getBoundingClientRect().left - head;
    zoomTo(ppq * Math.pow(1.0015, -event.deltaY), Math.max(0, x));
  }, { passive: false });
  scroller.addEventListener('keydown', function (event) {
    if (event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.key === '+' || event.key === '=') zoomTo(ppq * 1.5);
    else if (event.key === '-') zoomTo(ppq / 1.5);
    else if (event.key === '0') fitSong();
    else if (event.key === 'Home') scroller.scrollLeft = 0;
    else if (event.key === 'End') scroller.scrollLeft = scroller.scrollWidth;
    else return;
    event.preventDefault();
  });
  scroller.addEventListener('scroll', redraw, { passive: true });
  window.addEventListener('resize', redraw);

  function quarterAt(event) {
    return Math.max(0, (event.clientX - ruler.getBoundingClientRect().left) / ppq);
  }
  ruler.addEventListener('mousemove', function (event) {
    var q = quarterAt(event);
    position.textContent = where(q) + ' · ' + clock(seconds(q));
    ruler.title = 'Bar ' + where(q) + ' · ' + seconds(q).toFixed(3) + ' s';
  });

  // The mix: the playhead follows it; a click on the ruler plays from there.
  function showPlayhead(quarters) {
    playhead.hidden = false;
    playhead.style.setProperty('--at', String(quarters));
    position.textContent = where(quarters) + ' · ' + clock(seconds(quarters));
  }
  if (mix) {
    // One frame loop at a time, while the mix plays; once more when it stops or seeks.
    var following = false;
    var step = function () {
      var q = mix.currentTime * tempo / 60;
      showPlayhead(q);
      var x = q * ppq - scroller.scrollLeft;
      if (!mix.paused && (x < 0 || x > visibleWidth() - 20)) scroller.scrollLeft = Math.max(0, q * ppq - 40);
      if (!mix.paused) requestAnimationFrame(step);
      else following = false;
    };
    var follow = function () {
      if (following) return;
      following = true;
      requestAnimationFrame(step);
    };
    mix.addEventListener('play', follow);
    mix.addEventListener('seeked', follow);
    mix.addEventListener('timeupdate', follow);
    ruler.addEventListener('click', function (event) {
      var q = quarterAt(event);
      mix.currentTime = seconds(q);
      showPlayhead(q);
    });
  }

  fitSong();
})();
