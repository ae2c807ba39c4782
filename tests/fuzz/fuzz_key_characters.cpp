// The key-character conversion of passwords, on fixed layouts (US and German)
// so that a run never depends on the machine's keyboard.
//
// Compiling a keymap takes far longer than converting a password, so the target
// compiles each layout once and converts with the same steps as
// to_key_characters(); every input whose hash picks it, and every input of a
// corpus replay, is also converted by to_key_characters() itself and must agree.
#include "password/key_characters.cpp"

#include "fuzz_support.h"

#include <QHash>

namespace {
bool replaying = false;

const key_characters::layout_names &layout(int group)
{
    static const key_characters::layout_names us_de[2] = {
        {"evdev", "pc105", "us,de", ",", "", 0},
        {"evdev", "pc105", "us,de", ",", "", 1},
    };
    return us_de[group & 1];
}

// The conversion's own steps, with a keyboard compiled once per layout.
QString converted(const QString &text, int group)
{
    static const key_characters::keyboard keyboards[2] = {key_characters::keyboard(layout(0)),
                                                          key_characters::keyboard(layout(1))};
    const key_characters::keyboard &kb = keyboards[group & 1];
    fuzz::check(kb.valid(), "the fixed layout did not compile");
    std::u32string out;
    for (const uint c : text.toUcs4())
        out += key_characters::key_character(kb, c);
    return QString::fromUcs4(out.data(), static_cast<qsizetype>(out.size()));
}

QString converted_by_the_program(const QString &text, int group)
{
    return key_characters::to_key_characters(text, layout(group));
}
} // namespace

// Called by the corpus replay: there, every input is checked against the program.
extern "C" void zentara_fuzz_replaying() { replaying = true; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application<QGuiApplication>();
    if (size == 0)
        return 0;
    const int group = data[0];
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));

    const QString once = converted(text, group);
    // One character for each character typed, and a key character converts to itself.
    fuzz::check(once.toUcs4().size() == text.toUcs4().size(), "conversion changed the number of characters");
    fuzz::check(converted(once, group) == once, "converting twice differs from converting once");
    if (replaying || qHash(text) % 512 == 0)
        fuzz::check(converted_by_the_program(text, group) == once, "the program's conversion differs from the target's");
    return 0;
}
