#include "mapcontrol/strings.h"

#include <algorithm>

namespace mapcontrol {

Strings Strings::fromTexts(QStringList texts) {
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    Strings strings;
    strings.m_items = std::move(texts);
    return strings;
}

bool Strings::add(const QString& text) {
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), text);
    if (at != m_items.end() && *at == text) {
        return false;
    }
    m_items.insert(at, text);
    return true;
}

}  // namespace mapcontrol
