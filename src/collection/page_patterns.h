#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The extraction patterns' semantics: case ignored, "." stopping at a line
// feed (PCRE2's default newline here is LF only, so "\r" is matched), and
// every match taken, left to right, without overlap.
QRegularExpression pagePattern(const QString &pattern);
QStringList allMatches(const QRegularExpression &pattern, const QString &text);
