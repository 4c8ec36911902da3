#include "CorpusSupport.h"

#include <QFile>
#include <QProcess>
#include <algorithm>

namespace corpus {

QStringList parseCsvLine(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

QList<ManifestRow> readManifest(const QString& path)
{
    QFile file(path);
    QList<ManifestRow> rows;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return rows;
    }
    const QStringList header = parseCsvLine(QString::fromUtf8(file.readLine()).trimmed());
    const auto column = [&](const QStringList& fields, const char* name) {
        const qsizetype index = header.indexOf(QLatin1String(name));
        return index >= 0 && index < fields.size() ? fields[index] : QString();
    };
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QStringList fields = parseCsvLine(line);
        ManifestRow row;
        row.id = column(fields, "id");
        row.category = column(fields, "category");
        row.version = column(fields, "swf_version");
        row.compression = column(fields, "compressed");
        row.frameCount = column(fields, "frame_count");
        row.frameRate = column(fields, "frame_rate");
        row.stageWidth = column(fields, "stage_w_px");
        row.stageHeight = column(fields, "stage_h_px");
        row.expectedKind = column(fields, "expected_kind");
        constexpr int kScriptTags[] = {12, 59, 7, 34};
        for (const QString& code : column(fields, "tag_codes_used").split(u';')) {
            row.scriptFree = row.scriptFree && !std::ranges::count(kScriptTags, code.toInt());
        }
        // Movies with nothing to compare still run a few frames.
        row.framesToRun = std::max(1, column(fields, "frames_to_run").toInt());
        if (column(fields, "frames_to_run").isEmpty()) {
            row.framesToRun = 10;
        }
        row.tolerance = column(fields, "image_tolerance").toInt();
        rows << row;
    }
    return rows;
}

ProcessResult runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    ProcessResult result;
    if (!process.waitForStarted(kTimeoutMs)) {
        return result;
    }
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.finished = true;
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    return result;
}

bool endedCleanly(const ProcessResult& result)
{
    return result.finished && !result.crashed && (result.exitCode == 0 || result.exitCode == 1);
}

QString describe(const ProcessResult& result)
{
    if (!result.finished) {
        return QStringLiteral("did not finish within %1 s").arg(kTimeoutMs / 1000);
    }
    if (result.crashed) {
        return QStringLiteral("crashed");
    }
    return QStringLiteral("exit %1: %2")
        .arg(result.exitCode)
        .arg(QString::fromLocal8Bit(result.errors.left(300)));
}

} // namespace corpus
