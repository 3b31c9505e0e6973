#include "remote/search_plot.h"

#include "mapcontrol/attribute_table.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace remote {

namespace {

constexpr qsizetype kNamePrefix = 11;

ResultName refused(const QString& why) {
    return {std::nullopt,
            QStringLiteral("A pesquisa não indicou um arquivo de resultado válido: ") + why};
}

// A plain file name: letters, digits, "_", "-" and ".", not starting with "."
// (and no "..", which only a climbing path needs).
bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) ||
        name.contains(QStringLiteral(".."))) {
        return false;
    }
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-') &&
            c != QLatin1Char('.')) {
            return false;
        }
    }
    return true;
}

// The name as a message can show it: control characters (NUL among them)
// become "?".
QString shownName(QString name) {
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = QLatin1Char('?');
    }
    return name;
}

std::optional<double> finiteNumber(QStringView text) {
    const std::optional<double> value = mapcontrol::parseNumber(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

}  // namespace

const QStringList& programOwnFileNames() {
    static const QStringList names{QStringLiteral("quelvora"),     QStringLiteral("quelvora.conf"),
                                   QStringLiteral("conf.dat"),     QStringLiteral("config.dat"),
                                   QStringLiteral("drives.conf"),  QStringLiteral("lista.txt"),
                                   QStringLiteral("listawms.txt"), QStringLiteral("listawms1.txt"),
                                   QStringLiteral("layers.txt"),   QStringLiteral("parametro.txt"),
                                   QStringLiteral("temp.jpg"),     QStringLiteral("temp.bmp"),
                                   QStringLiteral("temp1.bmp"),    QStringLiteral("fox1.bmp"),
                                   QStringLiteral("fox2.bmp"),     QStringLiteral("legenda.jpg"),
                                   QStringLiteral("legenda.png"),  QStringLiteral("pagina.tmp")};
    return names;
}

ResultName resultFileName(const QStringList& parametroLines) {
    if (parametroLines.size() < 4) {
        return refused(QStringLiteral("a página salva tem menos de quatro linhas."));
    }
    const QString name = parametroLines.at(3).mid(kNamePrefix);
    if (name.isEmpty()) return refused(QStringLiteral("o nome está vazio."));
    if (!isPlainFileName(name)) {
        return refused(QStringLiteral("o nome \"%1\" não é um nome simples de arquivo (só letras, "
                                      "algarismos, \"_\", \"-\" e \".\", sem \".\" no início).")
                           .arg(shownName(name)));
    }
    if (programOwnFileNames().contains(name, Qt::CaseInsensitive)) {
        return refused(
            QStringLiteral("o nome \"%1\" é de um arquivo do próprio programa.").arg(name));
    }
    return {name, QString()};
}

std::vector<SearchPoint> readResultFile(const QStringList& lines) {
    std::vector<SearchPoint> points;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringView line(lines.at(i));
        // Fields 2 and 3 are the text between the first three commas.
        const qsizetype c1 = line.indexOf(QLatin1Char(','));
        if (c1 < 0) continue;
        const qsizetype c2 = line.indexOf(QLatin1Char(','), c1 + 1);
        if (c2 < 0) continue;
        qsizetype c3 = line.indexOf(QLatin1Char(','), c2 + 1);
        if (c3 < 0) c3 = line.size();
        const std::optional<double> latitude = finiteNumber(line.sliced(c1 + 1, c2 - c1 - 1));
        const std::optional<double> longitude = finiteNumber(line.sliced(c2 + 1, c3 - c2 - 1));
        if (!latitude || !longitude) continue;
        points.push_back({static_cast<int>(i), *latitude, *longitude});
    }
    return points;
}

std::optional<PlotFrame> PlotFrame::make(const mapcontrol::Rectangle& extent, QSize picture) {
    if (extent.isEmpty() || !(extent.width() > 0) || !(extent.height() > 0) ||
        !std::isfinite(extent.width()) || !std::isfinite(extent.height()) || picture.isEmpty()) {
        return std::nullopt;
    }
    double w = kLongSide;
    double h = kLongSide;
    if (extent.width() >= extent.height()) {
        h = std::round(kLongSide * extent.height() / extent.width());
    } else {
        w = std::round(kLongSide * extent.width() / extent.height());
    }
    // A sliver of an extent would round its short side to nothing.
    if (w < 1 || h < 1) return std::nullopt;
    return PlotFrame(extent, picture, w, h);
}

QPointF PlotFrame::logicalPoint(double latitude, double longitude) const {
    return {std::round((longitude - m_extent.left()) * m_logicalWidth / m_extent.width()),
            std::round((latitude - m_extent.bottom()) * m_logicalHeight / m_extent.height())};
}

QPointF PlotFrame::pixel(const QPointF& logical) const {
    return {logical.x() * m_picture.width() / m_logicalWidth,
            m_picture.height() - logical.y() * m_picture.height() / m_logicalHeight};
}

namespace {

// One circle as the plot draws it, on a transparent square: stamping it is
// far cheaper than rasterizing the same ellipse at every point. Its centre
// is at `centre` of the stamp.
QImage circleStamp(double rx, double ry, QPointF* centre) {
    const QSize size(static_cast<int>(std::ceil(rx)) * 2 + 3,
                     static_cast<int>(std::ceil(ry)) * 2 + 3);
    QImage stamp(size, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    *centre = QPointF(size.width() / 2, size.height() / 2);
    QPainter painter(&stamp);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(QColor(255, 255, 0));
    painter.drawEllipse(*centre, rx, ry);
    return stamp;
}

}  // namespace

int plotSearchPoints(QImage& picture, const mapcontrol::Rectangle& extent,
                     const std::vector<SearchPoint>& points) {
    const std::optional<PlotFrame> frame = PlotFrame::make(extent, picture.size());
    if (!frame || points.empty()) return 0;

    // The circle and the number's offset in pixels on each axis.
    const double rx = PlotFrame::kCircleRadius * picture.width() / frame->logicalWidth();
    const double ry = PlotFrame::kCircleRadius * picture.height() / frame->logicalHeight();
    const QPointF numberOffset(PlotFrame::kNumberDx * picture.width() / frame->logicalWidth(),
                               -PlotFrame::kNumberDy * picture.height() / frame->logicalHeight());
    const bool numbers = frame->drawsNumbers();
    // Anything this far outside the picture cannot reach it (the number is
    // the farthest part of a point's drawing).
    const QRectF reach = QRectF(QPointF(0, 0), QSizeF(picture.size()))
                             .adjusted(-rx - 200 + numberOffset.x(), -ry - 200 + numberOffset.y(),
                                       rx + 200, ry + 200);

    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(QColor(255, 255, 0));
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    const double ascent = painter.fontMetrics().ascent();

    // A circle larger than the picture (an extent far narrower than the
    // picture's shape) is drawn as an ellipse, not stamped.
    const bool stamped = rx <= picture.width() && ry <= picture.height();
    QPointF stampCentre;
    const QImage stamp = stamped ? circleStamp(rx, ry, &stampCentre) : QImage();

    int drawn = 0;
    for (const SearchPoint& p : points) {
        const QPointF centre = frame->pixel(frame->logicalPoint(p.latitude, p.longitude));
        if (!reach.contains(centre)) continue;
        if (stamped) {
            painter.drawImage((centre - stampCentre).toPoint(), stamp);
        } else {
            painter.drawEllipse(centre, rx, ry);
        }
        ++drawn;
        if (numbers) {
            painter.drawText(centre + numberOffset + QPointF(0, ascent), QString::number(p.number));
        }
    }
    return drawn;
}

QStringList spreadsheetLines(const QStringList& lines) {
    QStringList out;
    out.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        line.replace(QStringLiteral(",2,"), QStringLiteral(","));
        line.replace(QLatin1Char(','), QLatin1Char('\t'));
        if (i > 0) line.replace(QLatin1Char('.'), QLatin1Char(','));
        out.append(line);
    }
    return out;
}

}  // namespace remote
