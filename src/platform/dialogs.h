#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;
class QWidget;

namespace platform {

// Options of an open or save file dialog. `filter` uses the Windows form
// "Description|*.a;*.b|Other|*.c"; folders and the returned path are native.
struct FileDialogOptions {
    QString title;
    QString fileName;  // proposed name, e.g. "*.jjj"
    QString filter;
    QString initialFolder;
    bool mustExist = false;  // open dialogs: path and file must exist
    // Save dialogs whose command writes only the filter's types: a typed
    // extension that is none of them gets the chosen type's added.
    bool onlyListedTypes = false;
};

enum class MessageKind { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Every modal dialog the program shows goes through this interface: the
// application installs the Qt dialogs, tests a scripted double that answers
// from a queue and records what was shown. Every call returns when the user
// (or the script) has answered; nothing means "cancelled".
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer message(QWidget* parent, const QString& text,
                                  MessageKind kind = MessageKind::Information,
                                  MessageButtons buttons = MessageButtons::Ok) = 0;
    // An "Ok" message under a title of its own instead of the program's.
    virtual void titledMessage(QWidget* parent, const QString& title, const QString& text,
                               MessageKind kind) = 0;
    virtual std::optional<QString> openFile(QWidget* parent, const FileDialogOptions& options) = 0;
    // A name typed without an extension comes back with the extension of the
    // file type chosen in the dialog (see withTypeExtension).
    virtual std::optional<QString> saveFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QColor> colour(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    virtual std::optional<QString> textInput(QWidget* parent, const QString& title,
                                             const QString& prompt, const QString& initial) = 0;
    // A list to choose one of `items` from, the first one chosen at first:
    // the index of the item chosen.
    virtual std::optional<int> choice(QWidget* parent, const QString& title, const QString& prompt,
                                      const QStringList& items) = 0;
    // Lets the user set up `printer`; false when cancelled.
    virtual bool print(QWidget* parent, QPrinter& printer) = 0;
};

// The Qt name filter of a Windows-form filter: "Shapes|*.shp;*.SHP" becomes
// "Shapes (*.shp *.SHP)", entries joined by ";;". Each pattern is offered in
// lower and upper case too, since file names written on Windows come in both.
QString qtNameFilter(const QString& windowsFilter);

// A file name (native path) typed without an extension, with the extension
// of the file type chosen: type `typeIndex` (from 0) of the Windows-form
// filter, counting the types that have patterns, as qtNameFilter lists them.
// "mapa" with "Imagem|*.tif" becomes "mapa.tif". A name that has an
// extension, or a type whose first pattern has none ("*.*", "*"), is kept.
// With `onlyListedTypes` an extension is kept only when it is one of the
// filter's (in any case): "grande.png" with "*.emf" chosen becomes
// "grande.png.emf", "grande.svg" stays; a name ending in "." takes the
// extension after that dot.
QString withTypeExtension(const QString& nativePath, const QString& windowsFilter, int typeIndex,
                          bool onlyListedTypes = false);

}  // namespace platform
