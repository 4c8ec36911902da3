#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace quorvane::course {

struct Example {
    // Words between asterisks are the ones the lesson is about; they are
    // drawn highlighted.
    QString english;
    QString chinese;
};

struct Lesson {
    QString fileName;
    QString title; // the lesson's caption in the animation tree
    QString englishTitle;
    QString chapter;
    QList<Example> examples;
};

// Reads the lessons to make. Titles come from list.txt (GBK, "file#title"
// lines), so that each movie shows the caption its tree node has; the rest
// from the chapter's movie source (UTF-8):
//
//   chapter <caption>
//   lesson <file> <English title>
//   example <English sentence> | <Chinese meaning>
//
// Blank lines and lines starting with # are ignored. Returns the lessons,
// or the reason they cannot be read.
struct LessonSources {
    QList<Lesson> lessons;
    QString error;
};
LessonSources readLessons(const QByteArray& listFile, const QByteArray& movieSource);

} // namespace quorvane::course
