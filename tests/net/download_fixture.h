#pragma once

#include "net/download.h"
#include "support/http_server.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nettest {

// A test server and an empty folder that downloads write into.
class DownloadFixture : public ::testing::Test {
protected:
    QString target(const QString& name = "answer.xml") const { return dir.filePath(name); }
    // Every file in the folder, hidden temporary files included.
    QStringList folderContents() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir;
    support::HttpServer server;
    net::DownloadLimits limits;
};

}  // namespace nettest
