#include "password/key_characters.h"

#include <QGuiApplication>
#include <QList>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <xkbcommon/xkbcommon.h>


namespace key_characters {

namespace {

struct context_free { void operator()(xkb_context *c) const { xkb_context_unref(c); } };
struct keymap_free { void operator()(xkb_keymap *k) const { xkb_keymap_unref(k); } };

bool is_dead(xkb_keysym_t sym)
{
    return sym >= XKB_KEY_dead_grave && sym <= XKB_KEY_dead_longsolidusoverlay;
}

// The keys of the main block that type characters (the rows AE, AD, AC, AB with
// the grave, backslash, 102nd and space keys). The keypad and the extra keys of
// some keyboards (a Euro or a parenthesis key) are left out: a password is typed
// on the main block, and only there do the keys carry a character of their own.
bool is_character_key(const char *name)
{
    if (!name)
        return false;
    const std::string_view n(name);
    if (n == "TLDE" || n == "BKSL" || n == "LSGT" || n == "SPCE")
        return true;
    return n.size() == 4 && n[0] == 'A' && std::string_view("EDCB").find(n[1]) != std::string_view::npos
           && n[2] >= '0' && n[2] <= '9' && n[3] >= '0' && n[3] <= '9';
}

class keyboard
{
public:
    explicit keyboard(const layout_names &names) : group_(names.group < 0 ? 0 : static_cast<xkb_layout_index_t>(names.group))
    {
        context_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        if (!context_)
            return;
        auto text = [](const QByteArray &b) { return b.isEmpty() ? nullptr : b.constData(); };
        const xkb_rule_names rmlvo{text(names.rules), text(names.model), text(names.layout), text(names.variant),
                                   text(names.options)};
        keymap_.reset(xkb_keymap_new_from_names(context_.get(), &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS));
        if (!keymap_)
            return;
        xkb_keymap *km = keymap_.get();
        for (xkb_keycode_t key = xkb_keymap_min_keycode(km); key <= xkb_keymap_max_keycode(km); ++key) {
            if (!is_character_key(xkb_keymap_key_get_name(km, key)))
                continue;
            character_keys_.push_back(key);
            max_levels_ = std::max(max_levels_, xkb_keymap_num_levels_for_key(km, key, group_));
        }
    }

    bool valid() const { return keymap_ != nullptr; }

    // The unshifted keysym of the key that types `sym` with the fewest
    // modifiers (the lowest level; the lowest key code among equals), or nothing
    // when no character key types it.
    std::optional<xkb_keysym_t> unshifted_of(xkb_keysym_t sym) const
    {
        xkb_keymap *km = keymap_.get();
        for (xkb_level_index_t level = 0; level < max_levels_; ++level) {
            for (const xkb_keycode_t key : character_keys_) {
                if (level >= xkb_keymap_num_levels_for_key(km, key, group_) || !level_has(key, level, sym))
                    continue;
                const xkb_keysym_t *syms = nullptr;
                const int n = xkb_keymap_key_get_syms_by_level(km, key, group_, 0, &syms);
                return n > 0 ? syms[0] : XKB_KEY_NoSymbol;
            }
        }
        return std::nullopt;
    }

private:
    bool level_has(xkb_keycode_t key, xkb_level_index_t level, xkb_keysym_t sym) const
    {
        const xkb_keysym_t *syms = nullptr;
        const int n = xkb_keymap_key_get_syms_by_level(keymap_.get(), key, group_, level, &syms);
        for (int i = 0; i < n; ++i)
            if (syms[i] == sym)
                return true;
        return false;
    }

    xkb_layout_index_t group_;
    std::vector<xkb_keycode_t> character_keys_;
    xkb_level_index_t max_levels_ = 0;
    std::unique_ptr<xkb_context, context_free> context_;
    std::unique_ptr<xkb_keymap, keymap_free> keymap_;
};

char32_t key_character(const keyboard &kb, char32_t c)
{
    const xkb_keysym_t sym = xkb_utf32_to_keysym(c);
    const std::optional<xkb_keysym_t> unshifted = sym == XKB_KEY_NoSymbol ? std::nullopt : kb.unshifted_of(sym);
    // A character that no key types (one from a dead key, compose or an input
    // method) stays as typed: turned into anything else it could never be
    // typed again, or would match every other such character.
    if (!unshifted)
        return c;
    // A dead key types nothing by itself: keep the character rather than lose it.
    if (is_dead(*unshifted))
        return c;
    return QChar::toUpper(xkb_keysym_to_utf32(*unshifted));
}

} // namespace

QString to_key_characters(const QString &text, const layout_names &names)
{
    const keyboard kb(names);
    std::u32string out;
    for (const uint c : text.toUcs4()) {
        if (kb.valid())
            out += key_character(kb, c);
        else
            out += QChar::toUpper(static_cast<char32_t>(c)); // no layout known: letters in capitals only
    }
    return QString::fromUcs4(out.data(), static_cast<qsizetype>(out.size()));
}

QString to_key_characters(const QString &text)
{
    return to_key_characters(text, platform::current_layout());
}

} // namespace key_characters
