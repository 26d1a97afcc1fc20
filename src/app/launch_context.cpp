#include "app/launch_context.h"

#include "platform/text.h"

std::string PackageNameFromPath(const std::string& exePathUtf8) {
  size_t slash = exePathUtf8.rfind('\\');
  if (slash == std::string::npos) return std::string();
  std::string tail = exePathUtf8.substr(slash + 1);
  if (tail.size() < 4) return tail;
  return tail.substr(0, tail.size() - 4);
}

std::string ChannelFromPackageName(const std::string& name) {
  size_t first = name.find('_');
  if (first == std::string::npos) return std::string();
  size_t second = name.find('_', first + 1);
  if (second == std::string::npos || second + 1 >= name.size()) return std::string();
  size_t start = second + 1;
  if (name[start] == 'U') ++start;
  return name.substr(start, 8);
}

std::string ChannelWithVersionOverride(const std::string& channel, const std::string& productVersionUtf8) {
  if (productVersionUtf8.empty()) return channel;
  std::vector<std::string> pieces = SplitAny(productVersionUtf8, ".");
  if (pieces.size() != 4) return channel;
  switch (ParseInt64(pieces[1])) {
    case 96: return "tengxun0";
    case 97: return "qihu3600";
    case 98: return "jinshan0";
    case 99: return "huawei00";
    default: return channel;
  }
}
