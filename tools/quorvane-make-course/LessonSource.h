#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quorvane::course {

// Words between asterisks in any of these texts are the ones the lesson is
// about; they are drawn highlighted.
struct Example {
    QString english;
    QString chinese;
};

// A form changed step by step: "He can swim." => "Can he swim?"
struct Step {
    QString before;
    QString after;
};

struct Quiz {
    QString question; // a gap is written ___
    QStringList choices;
    int answer = -1; // the choice written between asterisks
    QString because;
};

struct Lesson {
    QString fileName;
    QString title; // the lesson's caption in the animation tree
    QString englishTitle;
    QString chapter;
    QStringList rules;
    QList<Example> examples;
    QString wrong; // the learners' typical mistake
    QString right;
    QString why;
    QList<Step> steps;
    QList<Quiz> quizzes;
    QString summary;
};

// Reads the lessons of one chapter's script. Titles come from list.txt
// (GBK, "file#title" lines), so that each movie shows the caption its tree
// node has; the rest from the script (UTF-8), one keyword and its text a line:
//
//   chapter <caption>
//   lesson <file> <English subtitle>
//   rule <Chinese rule line>                      1 to 3
//   example <English sentence> | <Chinese>        1 to 4
//   wrong <the mistake>  right <the correction>   one each
//   why <why the mistake is one>                  optional
//   step <before> => <after>                      0 to 3
//   quiz <question> | <choice> | <choice>...      1 to 3, 2 or 3 choices,
//                                                 the right one in asterisks
//   because <why that answer>                     after each quiz
//   summary <one line to remember>
//
// Blank lines and lines starting with # are ignored. Returns the lessons,
// or the reason they cannot be read, naming the line or the lesson.
struct LessonSources {
    QList<Lesson> lessons;
    QString error;
};
LessonSources readLessons(const QByteArray& listFile, const QByteArray& script);

// Every lesson of the course from its chapters' scripts, checked against
// list.txt as a whole: each listed movie must have a script and no example
// may repeat another lesson's. Errors name the script or the lesson.
struct Script {
    QString name;
    QByteArray text;
};
LessonSources readCourse(const QByteArray& listFile, const QList<Script>& scripts);

// The text without the asterisks that mark highlighted words.
QString plainText(const QString& marked);

} // namespace quorvane::course
