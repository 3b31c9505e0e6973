#pragma once

#include "query/query_report.h"
#include "workspace/app_state.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
class VectorLayer;
}  // namespace mapcontrol
namespace platform {
class Dialogs;
class StatusLine;
}  // namespace platform
namespace workspace {
class ThemeList;
}

namespace query {

// The attribute query: the query window TForm5 composes an expression on
// the selected vector theme's fields and values; once run, every redraw of
// the main map evaluates it again and draws the features found in yellow
// over the top layer, with a report of their records when asked for. The
// window's controls are built into the window the program created for it.
class QueryTool : public QObject {
    Q_OBJECT
public:
    static const QString kCollectorsMessage;
    static const QString kNotFoundMessage;
    static const QString kRunAgainMessage;

    struct Controls {
        QAbstractButton& button;  // SpeedButton10
        QWidget& form;            // TForm5
        mapcontrol::MapWidget& map1;
        mapcontrol::MapWidget& map2;
        workspace::ThemeList& themes;
        QLineEdit& expression;  // Edit1 of the main window, hidden: the expression in force
    };
    struct Hooks {
        std::function<void()> updateDistance;
        std::function<void()> endMove;
        std::function<void()> stopMapTips;
        // The remote-connection choice of the connections window; -1 for none.
        std::function<int()> connectionChoice;
        // With the map-group connection: the remote database's area search.
        std::function<void()> remoteSearch;
        // Prints lines as a text document; false on failure.
        std::function<bool(const QStringList&)> printLines;
        // Where the commands tell what they did; none for the window alone.
        platform::StatusLine* status = nullptr;
    };

    QueryTool(Controls controls, Hooks hooks, workspace::AppState& state,
              platform::Dialogs& dialogs);

    // The query button's command.
    void buttonClicked();
    // Main map's after-layer-draw event for the layer at `index`.
    void afterLayerDraw(int index);
    // "Retira a seleção da consulta".
    void removeSelection();

    // Window commands.
    void fieldClicked(int row);
    void listValues();  // "========>"
    void valueClicked(const QString& value);
    void append(const QString& text);
    void run();          // "Realiza pesquisa"
    void zoomToFound();  // "Zoom na pesquisa"
    void clearQuery();   // "Apaga query"
    void reportChoice(int item);
    void printReport();
    void saveReport();
    void saveValueList();
    void saveTable();
    void back();  // "Volta"

    bool isActive() const { return m_active; }
    const QStringList& extentList() const { return m_extentList; }
    const QString& themeEntry() const { return m_themeEntry; }

    QListWidget* ListBox1 = nullptr;      // fields, in table order
    QListWidget* ListBox2 = nullptr;      // values, case-insensitive order
    QLineEdit* Edit1 = nullptr;           // the expression being composed
    QLineEdit* Edit2 = nullptr;           // the theme's position, hidden
    QPlainTextEdit* Memo1 = nullptr;      // the report
    QButtonGroup* RadioGroup1 = nullptr;  // "Relatório"
    QPushButton* ValuesButton = nullptr;  // "========>"
    QPushButton* RunButton = nullptr;
    QPushButton* ZoomButton = nullptr;
    QPushButton* ClearButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* SaveTextButton = nullptr;
    QPushButton* SaveListButton = nullptr;
    QPushButton* SaveTableButton = nullptr;
    QPushButton* BackButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void emptyWindow();
    QStringList memoLines() const;
    void writeLines(const QStringList& lines, const QString& fileName);
    mapcontrol::VectorLayer* themeLayer() const;

    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
    bool m_active = false;
    bool m_valueIsNumeric = false;
    qsizetype m_found = -1;  // records the last evaluation selected
    QString m_themeEntry;
    QString m_expression;
    QStringList m_extentList;
    QStringList m_report;
};

}  // namespace query
