#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::help {

// The lines of the about box, in their order.
QStringList aboutLines();

QString mailAddress(); // mailto:, with the product name as subject
// The project has no web site or forum: both open the help page that comes
// with the program, as a file: address.
QString homePage();
QString forumPage();
QString pellandraPage(); // a product page on the download site
QString ostrevinPage();  // the same site under its second host name

} // namespace quorvane::help
