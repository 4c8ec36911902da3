#include "TextSaver.h"

#include "platform/Error.h"

#include <QDir>
#include <QSaveFile>

namespace quorvane {

namespace {

const QString kTxt = QStringLiteral(".txt");

} // namespace

QString withTxtAppended(const QString& name)
{
    return name + kTxt;
}

QString withTxtExtension(const QString& name)
{
    if (name.right(kTxt.size()).compare(kTxt, Qt::CaseInsensitive) == 0)
        return name;
    return name + kTxt;
}

void saveTextFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    saveTextFile(file, text);
}

void saveTextFile(QSaveFile& file, const QByteArray& text)
{
    const QString shownName = QDir::toNativeSeparators(file.fileName());
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("无法创建文件 \"%1\"：%2").arg(shownName, file.errorString()));
    if (file.write(text) != text.size()) {
        const QString reason = file.errorString();
        // The temporary file goes; the file it was to replace stays.
        file.cancelWriting();
        file.commit();
        throw Error(QStringLiteral("无法写入文件 \"%1\"：%2").arg(shownName, reason));
    }
    if (!file.commit())
        throw Error(QStringLiteral("无法写入文件 \"%1\"：%2").arg(shownName, file.errorString()));
}

} // namespace quorvane
