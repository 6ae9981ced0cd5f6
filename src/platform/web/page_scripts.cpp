#include "platform/web/page_scripts.h"

#include "collection/page_document.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace PageScripts {

QString serialiser()
{
    return QStringLiteral(R"JS(
function serialiseChildren(root) {
  function set(names) {
    var s = Object.create(null);
    names.split(' ').forEach(function (n) { s[n] = true; });
    return s;
  }
  var VOID = set('AREA BASE BASEFONT BGSOUND BR COL EMBED FRAME HR IMG INPUT KEYGEN LINK META PARAM SOURCE TRACK WBR');
  var RAW = set('SCRIPT STYLE XMP IFRAME NOEMBED NOFRAMES PLAINTEXT NOSCRIPT');
  var BREAK = set('TD TH TABLE CAPTION COLGROUP THEAD TBODY TFOOT TR DIV P UL OL LI DL DT DD ' +
                  'H1 H2 H3 H4 H5 H6 ADDRESS ARTICLE ASIDE BLOCKQUOTE CENTER DIR FIELDSET FIGCAPTION FIGURE ' +
                  'FOOTER FORM HEADER HGROUP HR MAIN MENU NAV PRE SECTION');
  var SIMPLE = /^[A-Za-z0-9_.\-]+$/;
  var out = [];

  function tagOf(el) { return el.tagName.toUpperCase(); }
  function escapeText(t) { return t.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;'); }
  function openTag(el, tag) {
    var s = BREAK[tag] ? '\r\n<' + tag : '<' + tag;
    for (var i = 0; i < el.attributes.length; ++i) {
      var a = el.attributes[i];
      s += ' ' + a.name + '=' + (SIMPLE.test(a.value) ? a.value : '"' + a.value + '"');
    }
    return s + '>';
  }
  function leaf(node) {
    switch (node.nodeType) {
    case 3:
    case 4:
      var p = node.parentNode;
      out.push(p && p.nodeType === 1 && RAW[tagOf(p)] ? node.data : escapeText(node.data));
      break;
    case 8:
      out.push('<!--' + node.data + '-->');
      break;
    }
  }
  // Iterative walk: deeply nested pages must not exhaust the stack.
  function walk(top) {
    var node = top.firstChild;
    while (node) {
      if (node.nodeType === 1) {
        var tag = tagOf(node);
        out.push(openTag(node, tag));
        if (tag === 'TEMPLATE') {
          walk(node.content);
        } else if (!VOID[tag] && node.firstChild) {
          node = node.firstChild;
          continue;
        }
        if (!VOID[tag])
          out.push('</' + tag + '>');
      } else {
        leaf(node);
      }
      while (!node.nextSibling) {
        node = node.parentNode;
        if (!node || node === top)
          return;
        out.push('</' + tagOf(node) + '>');
      }
      node = node.nextSibling;
    }
  }
  walk(root);
  return out.join('');
}
)JS");
}

QString snapshot()
{
    const QString ids = QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(analysedBlockIds())).toJson(QJsonDocument::Compact));
    return QStringLiteral("(function () {\n") + serialiser() + QStringLiteral("var wanted = ") + ids
        + QStringLiteral(R"JS(;
var blocks = [];
var divs = document.getElementsByTagName('div');
for (var i = 0; i < divs.length; ++i) {
  if (wanted.indexOf(divs[i].id) >= 0)
    blocks.push({id: divs[i].id, html: serialiseChildren(divs[i])});
}
var titles = document.getElementsByTagName('title');
// This world's globals live as long as the document: a new token means a new page.
if (!window.__zorvaneDocument)
  window.__zorvaneDocument = Date.now().toString(36) + Math.random().toString(36).slice(2);
return {
  token: window.__zorvaneDocument,
  url: location.href,
  hasTitle: titles.length > 0,
  title: titles.length > 0 ? titles[0].innerText : '',
  scrollHeight: document.body ? document.body.scrollHeight : 0,
  blocks: blocks
};
})())JS");
}

QString scrollHeight()
{
    return QStringLiteral("document.body ? document.body.scrollHeight : 0");
}

QString scrollState()
{
    return QStringLiteral(R"JS((function () {
var w = window;
if (!w.__zorvaneFrames) {
  w.__zorvaneFrames = 1;
  var tick = function () { w.__zorvaneFrames++; w.requestAnimationFrame(tick); };
  w.requestAnimationFrame(tick);
}
var loading = 0, unstarted = 0, started = [];
var box = document.getElementById('desc-lazyload-container');
var pictures = box ? box.getElementsByTagName('img') : [];
for (var i = 0; i < pictures.length; ++i) {
  var p = pictures[i];
  if (p.getAttribute('src')) {
    started.push(p.getAttribute('src'));
    if (!p.complete)
      ++loading;
    continue;
  }
  var r = p.getBoundingClientRect();
  if (r.bottom > 0 && r.top < w.innerHeight && r.width > 0)
    ++unstarted;
}
return {
  y: w.scrollY,
  viewport: w.innerHeight,
  height: document.body ? document.body.scrollHeight : 0,
  frames: w.__zorvaneFrames,
  loading: loading,
  unstarted: unstarted,
  pictures: started,
  born: w.__zorvaneBorn || 0,
  finished: w.__zorvaneFinished ? w.__zorvaneFinished.splice(0) : []
};
})())JS");
}

QString documentWatch()
{
    // Also in frames: a frame of the page's own site reports its ends to the
    // page, since the engine counts its requests as the page's.
    return QStringLiteral(R"JS((function () {
var w = window, page = w;
try { if (w.top !== w && w.top.__zorvaneFinished) page = w.top; } catch (e) {}
if (page === w) {
  w.__zorvaneBorn = Date.now();
  w.__zorvaneFinished = [];
}
try {
  new PerformanceObserver(function (list) {
    var o = performance.timeOrigin;
    list.getEntries().forEach(function (e) {
      page.__zorvaneFinished.push([e.name, e.initiatorType, o + e.startTime, o + e.fetchStart,
                                   o + e.responseEnd, e.redirectEnd > 0]);
    });
  }).observe({type: 'resource', buffered: true});
} catch (e) {}
})();)JS");
}

QString documentBirth()
{
    return QStringLiteral("window.__zorvaneBorn || 0");
}

QString scrollBy(int x, int y)
{
    return QStringLiteral("window.scrollBy(%1, %2); undefined").arg(x).arg(y);
}

} // namespace PageScripts
