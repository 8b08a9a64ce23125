// The web page's style sheet and script, served from the same origin (/app.css,
// /app.js) so that the content security policy needs no inline code.
#pragma once

extern const char kWebStyleSheet[];
extern const char kWebScript[];
