#include "core/translate.h"

#include <QCoreApplication>
#include <QString>

namespace omb {

std::string trs(const char* context, const char* source) {
  return QCoreApplication::translate(context, source).toStdString();
}

std::string fill(std::string text, std::initializer_list<std::string> args) {
  // One pass from the left, so a value that itself holds "%2" is not
  // replaced again.
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace omb
