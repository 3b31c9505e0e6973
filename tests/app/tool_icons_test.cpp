// The tool buttons of the main window: each shows a picture of its own, its
// hint as tooltip, and no text.
#include "app/tool_icons.h"
#include "app/main_window_fixture.h"

#include <QIcon>
#include <QImage>
#include <QTabBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using ToolIconsTest = support::MainWindowFixture;

struct ToolButton {
    const char* name;
    const char* hint;
    bool checkable;
};

// The tool panel, top to bottom.
const std::vector<ToolButton> kToolPanel = {
    {"SpeedButton3", "Adiciona tema", false},
    {"SpeedButton17", "Apaga temas selecionados", false},
    {"SpeedButton21", "Ativa e desativa transparencia", true},
    {"SpeedButton20", "Copiar para clipboard", false},
    {"SpeedButton8", "Imprime mapa - tela", false},
    {"SpeedButton19", "Ativa e desativa mensagens associadas", true},
    {"SpeedButton1", "Toda area - volta ao modo mapas", false},
    {"SpeedButton2", "Zoom dentro", false},
    {"SpeedButton4", "Zoom fora", false},
    {"SpeedButton5", "Zoom Pan", true},
    {"SpeedButton7", "Zoom tool", true},
    {"SpeedButton6", "Pesquisa com cursor - função (i)", true},
    {"SpeedButton10", "Realiza consultas", true},
    {"SpeedButton27", "Retira a seleção da consulta", false},
    {"SpeedButton13", "Cálculo de distâncias", true},
    {"SpeedButton9", "Reclassifica", true},
    {"SpeedButton18", "Exibir legendas", true},
    {"SpeedButton14", "Volta a paleta orignal", false},
    {"SpeedButton25", "Grava legenda", false},
    {"SpeedButton15", "Créditos de autoria", false},
    {"SpeedButton60", "Sobre o programa - nome, descrição e autoria", false},
    {"SpeedButton16", "Ajuda", false},
    {"SpeedButton34", "Adiciona textos das tabelas", false},
    {"M1", "Coloca a tela na memória 1", false},
    {"M2", "Coloca a tela na memória 2 e faz o blend", false},
    {"BOTAO2", "Transparencia de função memoria", false},
    {"SpeedButton37", "Sai da função memoria", false},
    {"BARRA", "Zoom por coordenadas e gravação da tela em tif / tfw", false},
    {"arcgisserver", "ArcGis Server Web", false},
    {"BOTAO3", "Serviços WMS", false},
    {"SpeedButton33", "Sai do programa", false},
    {"SpeedButton28", "Iniciar a operação mover mapa", true},
    {"SpeedButton24", "Barra de escalas", false},
    {"SpeedButton12", "Escala numérica", false},
    {"SpeedButton11", "Ativa e desativa - coordenadas", false},
    {"SpeedButton42", "Posição de coletores", false},
};

// The other buttons with a picture: the theme movers, the legend order and
// the typed scale.
const std::vector<ToolButton> kOtherToolButtons = {
    {"SpeedButton29", "Iniciar - \"mover temas\"", false},
    {"SpeedButton30", "Mover para cima", false},
    {"SpeedButton31", "Mover para baixo", false},
    {"SpeedButton32", "Encerrar \"mover tema\" ", false},
    {"SpeedButton35", "Altera ordem da legenda", true},
    {"SpeedButton26", "Atualiza escala", false},
};

std::vector<ToolButton> allToolButtons() {
    std::vector<ToolButton> all = kToolPanel;
    all.insert(all.end(), kOtherToolButtons.begin(), kOtherToolButtons.end());
    return all;
}

QImage picture(const QToolButton& b, int size = 24) {
    return b.icon().pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 255) ++count;
        }
    }
    return count;
}

// Pixels whose colour or coverage differs clearly between two pictures of one size.
int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qAlpha(p) - qAlpha(q)) > 96 || std::abs(qRed(p) - qRed(q)) > 96 ||
                std::abs(qGreen(p) - qGreen(q)) > 96 || std::abs(qBlue(p) - qBlue(q)) > 96) {
                ++count;
            }
        }
    }
    return count;
}

}  // namespace

TEST_F(ToolIconsTest, everyToolButtonShowsAPictureWithItsHintAsTooltip) {
    auto w = start();
    ASSERT_TRUE(started);
    for (const ToolButton& t : allToolButtons()) {
        SCOPED_TRACE(t.name);
        QToolButton* b = w->button(t.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(t.hint));
        EXPECT_EQ(b->isCheckable(), t.checkable);
        EXPECT_TRUE(b->text().isEmpty());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly);
        ASSERT_FALSE(b->icon().isNull());
        const QImage image = picture(*b);
        ASSERT_EQ(image.size(), QSize(24, 24));
        // Strokes of a drawing, not a blank or a faint square.
        EXPECT_GE(opaquePixels(image), 40);
        EXPECT_LT(opaquePixels(image), 24 * 24);
    }
}

TEST_F(ToolIconsTest, picturesAreDrawnFromVectorsAtAnySize) {
    // Without the SVG icon engine a picture is a fixed 24-pixel bitmap at best.
    auto w = start();
    for (const ToolButton& t : allToolButtons()) {
        SCOPED_TRACE(t.name);
        const QIcon icon = w->button(t.name)->icon();
        EXPECT_EQ(icon.actualSize(QSize(96, 96)), QSize(96, 96));
        const QImage large = picture(*w->button(t.name), 96);
        ASSERT_EQ(large.size(), QSize(96, 96));
        EXPECT_GE(opaquePixels(large), 16 * opaquePixels(picture(*w->button(t.name))) / 2);
    }
}

TEST_F(ToolIconsTest, everyPictureDiffersClearlyFromEveryOther) {
    auto w = start();
    const std::vector<ToolButton> all = allToolButtons();
    std::vector<QImage> images;
    for (const ToolButton& t : all) images.push_back(picture(*w->button(t.name)));
    // At least a 2-pixel stroke 7 pixels long: the bar that makes a "-" a "+".
    for (std::size_t i = 0; i < all.size(); ++i) {
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            EXPECT_GE(differingPixels(images[i], images[j]), 14)
                << all[i].name << " and " << all[j].name << " look alike";
        }
    }
}

TEST_F(ToolIconsTest, toolPanelHoldsItsButtonsInOrderWithoutText) {
    auto w = start();
    const auto* panel = w->findChild<QWidget*>("PanelTools");
    ASSERT_NE(panel, nullptr);
    std::set<std::string> expected;
    for (const ToolButton& t : kToolPanel) expected.insert(t.name);
    std::set<std::string> found;
    for (const QToolButton* b : panel->findChildren<QToolButton*>()) {
        found.insert(b->objectName().toStdString());
        EXPECT_TRUE(b->text().isEmpty()) << b->objectName().toStdString();
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
    }
    EXPECT_EQ(found, expected);
    // Read top to bottom, one column after the other: each visible button lies
    // below its predecessor or at the top of a column further right.
    w->show();
    const QToolButton* previous = nullptr;
    for (const ToolButton& t : kToolPanel) {
        const QToolButton* b = w->button(t.name);
        if (b->isHidden()) continue;
        if (previous) {
            const QPoint p = previous->mapTo(panel, QPoint(0, 0));
            const QPoint q = b->mapTo(panel, QPoint(0, 0));
            EXPECT_TRUE((q.x() == p.x() && q.y() > p.y()) || q.x() > p.x()) << t.name;
        }
        previous = b;
    }
}

TEST_F(ToolIconsTest, buttonsKeepTheirStartStates) {
    auto w = start();
    const std::set<std::string> hidden = {"SpeedButton28", "SpeedButton24", "SpeedButton12",
                                          "SpeedButton11", "SpeedButton42"};
    const std::set<std::string> disabled = {"M2", "SpeedButton30", "SpeedButton31",
                                            "SpeedButton32"};
    for (const ToolButton& t : allToolButtons()) {
        if (std::string(t.name) == "SpeedButton26") continue;  // hidden with the scale read-out
        const QToolButton* b = w->button(t.name);
        EXPECT_EQ(b->isHidden(), hidden.count(t.name) == 1) << t.name;
        EXPECT_EQ(b->isEnabled(), disabled.count(t.name) == 0) << t.name;
    }
}

TEST_F(ToolIconsTest, scaleBarButtonsKeepTheirSigns) {
    auto w = start();
    EXPECT_EQ(w->button("SpeedButton22")->text(), "+");
    EXPECT_EQ(w->button("SpeedButton23")->text(), "-");
    EXPECT_TRUE(w->button("SpeedButton22")->icon().isNull());
    EXPECT_TRUE(w->button("SpeedButton23")->icon().isNull());
}

TEST_F(ToolIconsTest, theProgramsIconIsADrawingAtEverySize) {
    const QIcon icon = app::programIcon();
    ASSERT_FALSE(icon.isNull());
    for (int side : {16, 48, 256}) {
        SCOPED_TRACE(side);
        const QImage image = icon.pixmap(side, side).toImage();
        ASSERT_EQ(image.size(), QSize(side, side));
        EXPECT_GE(opaquePixels(image), side * side / 4);  // a drawing, not a blank
        EXPECT_LT(opaquePixels(image), side * side);      // on a transparent ground
    }
}

// Every tool button of the main window tells what it does when the pointer
// rests on it, and no two that do different things say the same.
TEST_F(ToolIconsTest, everyToolButtonHasATooltipOfItsOwn) {
    auto w = start();
    ASSERT_TRUE(started);
    std::map<QString, QString> buttonByTip;
    int buttons = 0;
    for (QToolButton* b : w->findChildren<QToolButton*>()) {
        if (b->window() != w.get() || b->objectName().startsWith("qt_") ||
            qobject_cast<QTabBar*>(b->parentWidget())) {
            continue;  // another window's, or Qt's own (menu overflow, tab scrolling)
        }
        if (b->toolButtonStyle() == Qt::ToolButtonTextOnly) {
            continue;  // says what it does in its caption
        }
        ++buttons;
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_FALSE(b->toolTip().trimmed().isEmpty());
        const auto [it, isNew] = buttonByTip.emplace(b->toolTip(), b->objectName());
        EXPECT_TRUE(isNew) << "shares its tooltip with " << it->second.toStdString();
    }
    // The tool panel, the theme movers, the typed scale and the bar's "+" and "-".
    EXPECT_GE(buttons, static_cast<int>(allToolButtons().size()) + 2);
}
