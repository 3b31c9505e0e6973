#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

// Keeps the program to one running instance per user. The first instance
// listens on a local socket named after the application title; a later one
// finds it, asks it to raise its window and learns that it must end.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the instance, e.g. the application title; the user's id is
    // added so that two users on one machine do not meet.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True for the first instance, which then listens for later starts.
    // False when another instance answered: it has been asked to come
    // forward (and told of `project`, the project this start was given,
    // when there is one) and this process should end without a window.
    bool claim(const QString& project = QString());

    QString socketName() const { return m_socketName; }

signals:
    // A later start asked this instance to bring its window forward;
    // `project` is the project that start was given, empty when none.
    void raiseRequested(const QString& project);

private:
    QString m_socketName;
    QLocalServer* m_server = nullptr;
};

}  // namespace platform
