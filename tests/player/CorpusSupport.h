#pragma once

// What the corpus tests share: the manifest, and running quorvane-swf in a
// child process with a time limit.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace corpus {

constexpr int kTimeoutMs = 30000;

struct ManifestRow {
    QString id;
    QString category;
    QString version;
    QString compression;
    QString frameCount;
    QString frameRate;
    QString stageWidth;
    QString stageHeight;
    QString expectedKind;
    // No DoAction, DoInitAction or button: the movie needs no script engine.
    bool scriptFree = true;
    int framesToRun = 1;
    int tolerance = 0;
};

QStringList parseCsvLine(const QString& line);
QList<ManifestRow> readManifest(const QString& path);

struct ProcessResult {
    bool finished = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ProcessResult runTool(const QString& tool, const QStringList& arguments);
// A clean end: success, or a refusal (exit 1) with a one-line reason.
bool endedCleanly(const ProcessResult& result);
QString describe(const ProcessResult& result);

} // namespace corpus
