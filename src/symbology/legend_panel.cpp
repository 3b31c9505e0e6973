#include "symbology/legend_panel.h"

#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "symbology/legend_items.h"
#include "symbology/legend_pictures.h"
#include "symbology/theme_layer.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <new>

namespace symbology {

const QString LegendPanel::kTooManyClassesMessage = QStringLiteral(
    "Insuficiente recursos para exibir legenda. Grande no de classes, maior do que o suportado");

namespace {

// Draws a legend line: its picture at (2, 2) from the line's corner, pure red
// left transparent, and the text 8 pixels after the picture; a line without
// a picture has its text at the left edge. Every line is 20 pixels high.
class LegendLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        const QRect& r = option.rect;
        int textLeft = r.left();
        const QVariant picture = index.data(LegendPanel::kPictureRole);
        if (picture.canConvert<QImage>()) {
            const QImage image = picture.value<QImage>();
            painter->drawImage(r.left() + 2, r.top() + 2, image);
            textLeft = r.left() + image.width() + 8;
        }
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        painter->drawText(QRect(textLeft, r.top(), r.right() - textLeft, r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                          index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(LegendPanel::kItemHeight);
        return size;
    }
};

}  // namespace

LegendPanel::LegendPanel(Controls controls, Hooks hooks, workspace::AppState& state,
                         platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    QListWidget& legend = m_controls.legend;
    legend.setItemDelegate(new LegendLineDelegate(&legend));
    legend.viewport()->installEventFilter(this);
    legend.viewport()->setMouseTracking(true);
    connect(&legend, &QListWidget::itemClicked, this, [this] {
        if (!m_controls.reorder.isChecked() && m_hooks.lineClicked) m_hooks.lineClicked();
    });
}

void LegendPanel::ShowLegend() {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    QListWidget& list = m_controls.legend;
    list.clear();  // frees the pictures of the last build

    std::vector<LegendTheme> themes;
    const std::vector<files::ThemeEntry> entries = m_controls.themes.entries();
    for (std::size_t t = 0; t < entries.size(); ++t) {
        LegendTheme theme;
        theme.line = entries[t].line;
        theme.visible = entries[t].checked;
        if (const mapcontrol::VectorLayer* layer =
                workspace::themeVectorLayer(m_controls.map1, entries[t].line)) {
            theme.renderer = classRenderer(*layer);
            theme.geometry = geometryOf(*layer);
        }
        themes.push_back(std::move(theme));
    }

    bool complete = false;
    try {
        const Legend legend = legendItems(themes);
        const QImage separator = separatorPicture();
        for (const LegendItem& item : legend.items) {
            auto* line = new QListWidgetItem(item.text, &list);
            if (item.kind == LegendItem::Kind::Class) {
                line->setData(kPictureRole, withRedTransparent(classPicture(item)));
                line->setData(kClassRole, item.classIndex);
            } else {
                line->setData(kPictureRole, separator);
            }
        }
        complete = legend.complete;
    } catch (const std::bad_alloc&) {
        complete = false;  // the list keeps what was added
    }
    if (!complete) {
        m_dialogs.message(list.window(), kTooManyClassesMessage, platform::MessageKind::Warning);
    }
    if (m_hooks.connectionLegend) m_hooks.connectionLegend();
}

void LegendPanel::RestorePalette() {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    // The rebuild removes every layer of both maps first; it keeps the data
    // of unchanged files for the new layers instead of reading them again.
    m_state.themeRenderKind.assign(workspace::AppState::kMaxThemes, 0);
    m_state.labelsAdded = false;
    if (m_hooks.rebuildAllLayers) m_hooks.rebuildAllLayers();
    m_controls.map1.refresh();
    // The overview shares the layers: drawn again in the restored colours,
    // with the main map's extent box.
    m_state.overviewBoxPending = true;
    m_controls.map2.refresh();
    if (m_state.scaleBarShown && m_hooks.refreshScaleBar) m_hooks.refreshScaleBar();
    m_controls.legend.clear();
}

bool LegendPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_controls.legend.viewport()) {
        return QObject::eventFilter(watched, event);
    }
    const auto rowAt = [this](QEvent* e) {
        const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
        const QListWidgetItem* item = m_controls.legend.itemAt(p);
        return item ? m_controls.legend.row(item) : -1;
    };
    switch (event->type()) {
        case QEvent::MouseMove:
            if (m_hooks.stopMapTips) m_hooks.stopMapTips();
            break;
        case QEvent::MouseButtonPress:
            if (m_controls.reorder.isChecked()) m_dragFrom = rowAt(event);
            break;
        case QEvent::MouseButtonRelease:
            if (m_controls.reorder.isChecked() && m_dragFrom >= 0) {
                const int to = rowAt(event);
                if (to >= 0 && to != m_dragFrom) {
                    QListWidgetItem* item = m_controls.legend.takeItem(m_dragFrom);
                    m_controls.legend.insertItem(to, item);
                    m_controls.legend.setCurrentItem(item);
                }
            }
            m_dragFrom = -1;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace symbology
