#pragma once
// What one profile-string write may do to the bytes of an INI file: every
// line it does not set keeps its bytes. Precisely, after is before with
// - nothing changed (the value was already there), or
// - one line's value replaced: the text up to and including its first '='
//   and its line ending stay, or
// - one or two new CR LF lines inserted (a key; or a section header and its
//   key at the end), where an unterminated line just before them may gain a
//   CR LF.

#include <QByteArray>

bool IsLocalEdit(const QByteArray& before, const QByteArray& after);
