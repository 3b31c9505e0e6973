// quelvora-samples <folder>: writes the sample project into <folder>, which
// plays the root of a drive.
#include "sample_drive.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        err << "Uso: quelvora-samples <pasta-raiz-do-drive>\n";
        return 1;
    }
    const platform::Result result = samples::writeSampleDrive(arguments.at(1));
    if (!result) {
        err << result.message << '\n';
        if (!result.detail.isEmpty()) {
            err << result.detail << '\n';
        }
        return 1;
    }
    return 0;
}
