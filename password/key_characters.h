#pragma once
// From a character to the character of the key that types it: what a password
// looks like when only the keys count, not the Shift or AltGr held with them.
#include "platform/keyboard_layout.h"

#include <QString>

namespace key_characters {

using layout_names = platform::layout_names;

// Each character becomes the character that its key types without modifiers,
// letters in capitals: on a US layout "a!" becomes "A1", on a German one "@"
// (AltGr+Q) becomes "Q". A character that no key types directly (one typed
// through a dead key, compose or an input method), and one whose key is a dead
// key unshifted, stays as it is, since no key alone types it.
QString to_key_characters(const QString &text, const layout_names &names);
QString to_key_characters(const QString &text);

} // namespace key_characters
