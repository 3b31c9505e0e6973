#pragma once

#include <QString>
#include <QStringList>

namespace mapcontrol {

// A collection of texts that keeps each distinct text once, in ascending
// order of their UTF-16 code units (exact: "a" and "A" are two texts).
class Strings {
public:
    // The collection of these texts: sorted once, repeats dropped; for many
    // texts at once, where adding them one by one would cost a shift each.
    static Strings fromTexts(QStringList texts);

    // False when the text was already there.
    bool add(const QString& text);
    qsizetype count() const { return m_items.size(); }
    QString item(qsizetype index) const { return m_items.value(index); }
    const QStringList& items() const { return m_items; }
    void clear() { m_items.clear(); }

private:
    QStringList m_items;
};

}  // namespace mapcontrol
