#include "install/WebPageOpener.h"

#include <mutex>

#include "install/ProcessCtrl.h"

namespace orvane {
namespace {

std::mutex g_openerMutex;
WebPageOpenerFunction g_opener;

bool OpenWithXdgOpen(const std::string& url) { return LaunchArgumentsAsShellUser({"xdg-open", url}, ""); }

}  // namespace

bool OpenWebPage(const std::string& url) {
  WebPageOpenerFunction opener;
  {
    std::lock_guard lock(g_openerMutex);
    opener = g_opener;
  }
  return opener ? opener(url) : OpenWithXdgOpen(url);
}

void SetWebPageOpener(WebPageOpenerFunction opener) {
  std::lock_guard lock(g_openerMutex);
  g_opener = std::move(opener);
}

}  // namespace orvane
