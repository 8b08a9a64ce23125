#include "web_assets.h"

// Plain CSS: a grid of cards from 360 px up; dark when the browser prefers it.
const char kWebStyleSheet[] = R"CSS(:root{--bg:#f4f5f7;--card:#fff;--fg:#1b1d21;--dim:#5d6470;--line:#d9dce1;
--cool:#1d7f45;--warm:#a86300;--hot:#c4242b;--accent:#2457c5;color-scheme:light dark}
@media (prefers-color-scheme:dark){:root{--bg:#121417;--card:#1d2025;--fg:#e8eaed;--dim:#a0a6b0;
--line:#343941;--cool:#4cc27a;--warm:#f0a53a;--hot:#ff6b6b;--accent:#7fa6ff}}
*{box-sizing:border-box}
body{margin:0;background:var(--bg);color:var(--fg);font:15px/1.4 system-ui,-apple-system,"Segoe UI",
"Noto Sans CJK JP","Hiragino Sans",Meiryo,sans-serif}
main{max-width:1240px;margin:0 auto;padding:12px}
header h1{font-size:1.25rem;margin:4px 0}
a{color:var(--accent)}
.measured{color:var(--dim);margin:2px 0 8px}
.ranges{display:flex;gap:6px;flex-wrap:wrap;margin:6px 0 12px}
.ranges a{padding:4px 10px;border:1px solid var(--line);border-radius:14px;text-decoration:none}
.ranges a[aria-current]{background:var(--accent);color:var(--card);border-color:var(--accent)}
.cards{display:grid;grid-template-columns:repeat(auto-fill,minmax(300px,1fr));gap:12px}
.cards.single{grid-template-columns:1fr}
.card{background:var(--card);border:1px solid var(--line);border-radius:10px;padding:12px;min-width:0}
.card h2{font-size:1rem;margin:0 0 2px;overflow-wrap:anywhere}
.card h2 a{text-decoration:none}
.about,.limits{color:var(--dim);margin:0;font-size:.9rem}
.temperature{font-size:2rem;font-weight:600;margin:4px 0 0}
.temperature small{font-size:.9rem;font-weight:400}
.cool{color:var(--cool)}.warm{color:var(--warm)}.hot{color:var(--hot)}
.none,.asleep{color:var(--dim);font-size:1.2rem}
.health{margin:6px 0 0;font-weight:600}
.health small{font-weight:400;color:var(--dim)}
.health.good{color:var(--cool)}.health.caution{color:var(--warm)}.health.bad{color:var(--hot)}
.health.unknown{color:var(--dim)}
.reasons{margin:4px 0 0;padding-left:18px}
.chart{width:100%;height:auto;display:block;margin-top:8px}
.chart .grid{stroke:var(--line);stroke-width:1}
.chart .band-line{stroke:var(--accent);opacity:.25;stroke-width:2}
.chart .line{fill:none;stroke:var(--accent);stroke-width:2;stroke-linejoin:round}
.chart .warn{stroke:var(--hot);stroke-width:1.5;stroke-dasharray:6 4}
.chart text{fill:var(--dim);font-size:11px}
.chart .sleep{fill:var(--dim);opacity:.15}
.empty,.nohistory{color:var(--dim)}
.trend h3{font-size:.9rem;margin:10px 0 0}
)CSS";

// Local times for <time data-t>, and the data refreshed in place at the measurement
// interval: the same page fetched again, its <main> swapped in (no full reload).
const char kWebScript[] = R"JS((function () {
  'use strict';
  var body = document.body;
  var seconds = Math.max(1, Number(body.getAttribute('data-refresh')) || 60);
  function localTimes() {
    document.querySelectorAll('time[data-t]').forEach(function (t) {
      t.textContent = new Date(Number(t.getAttribute('data-t')) * 1000).toLocaleString();
    });
  }
  function refresh() {
    fetch(location.href, {cache: 'no-store', credentials: 'same-origin'})
      .then(function (r) { if (!r.ok) { throw new Error(r.status); } return r.text(); })
      .then(function (text) {
        var fresh = new DOMParser().parseFromString(text, 'text/html').querySelector('main');
        var old = document.querySelector('main');
        if (fresh && old) {
          old.replaceWith(document.adoptNode(fresh));
          localTimes();
          body.setAttribute('data-refreshes', String(Number(body.getAttribute('data-refreshes') || 0) + 1));
        }
      })
      .catch(function () {})
      .then(function () { setTimeout(refresh, seconds * 1000); });
  }
  localTimes();
  setTimeout(refresh, seconds * 1000);
})();
)JS";
