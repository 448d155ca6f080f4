#pragma once
// Opening a web page in the desktop user's browser (xdg-open, run as the
// desktop user when the installer runs as root). Tests replace the opener to
// record the requests instead.
#include <functional>
#include <string>

namespace orvane {

using WebPageOpenerFunction = std::function<bool(const std::string& url)>;

// True when the browser was asked to open the page.
bool OpenWebPage(const std::string& url);
// Replaces the opener; an empty function restores xdg-open.
void SetWebPageOpener(WebPageOpenerFunction opener);

}  // namespace orvane
