#pragma once

#include <QString>

// The JavaScript the program runs in its pages, one builder per query. Each
// returns the script text; callers run it in the application world (isolated
// from the page's own scripts) and read the answer in a callback.
namespace PageScripts {

// One object: {token, url, hasTitle, title, scrollHeight, blocks: [{id, html}]},
// blocks being the divs whose id the analysis looks for, in document order,
// with their content in the legacy serialised form (see serialiser()); the
// token is the same for every read of one document and new for the next.
QString snapshot();

// document.body.scrollHeight, 0 without a body.
QString scrollHeight();

// {y, viewport, height, frames, loading, unstarted, pictures, finished}: the
// scroll position, the view's and the body's heights, frames drawn (counted
// from the first call in a document), the description block's pictures still
// loading, those in view without an address yet, the addresses of those with
// one, and the addresses of the requests finished since the last call.
QString scrollState();

// Runs as each document of the collector's page is made, before the page's
// own scripts: notes when the document was made and lists the addresses of
// the page's requests as they finish (its resource timeline, read through an
// observer, which no buffer limit cuts short).
QString documentWatch();

// When the document now in the view was made (epoch ms), 0 when unknown.
QString documentBirth();

// Scrolls the window by x, y pixels; answers nothing.
QString scrollBy(int x, int y);

// Defines serialiseChildren(node): the node's content with upper-case tag
// names, attribute values unquoted when simple and otherwise quoted as they
// are (inner quotes not escaped), text escaped only for & < >, and a CR LF
// before every table cell and block element. The extraction patterns were
// written for this form; Chromium's innerHTML quotes and escapes differently.
QString serialiser();

} // namespace PageScripts
