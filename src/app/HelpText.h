#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::help {

// The lines of the about box, in their order.
QStringList aboutLines();

QString mailAddress();     // mailto:, with the product name as subject
QString homePage();        // ends with "/"
QString forumPage();
QString pellandraPage();   // a product page on the download site
QString ostrevinPage();    // the same site under its second host name

} // namespace quorvane::help
