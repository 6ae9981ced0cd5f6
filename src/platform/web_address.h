#pragma once

class QUrl;

// http or https with a host: the only addresses the program loads in its
// views, fetches, or hands to the desktop's browser. Callers parse the text
// as their source writes it; this is the one rule on what comes out.
bool isWebAddress(const QUrl &url);
