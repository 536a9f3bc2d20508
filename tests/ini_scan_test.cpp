#include "settings/ini_scan.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "settings/ini_edit.h"
#include "test_support.h"

namespace palvoren {
namespace {

IniKeys KeysOf(std::string_view section, const std::vector<std::string>& names) {
    IniKeys keys;
    for (const std::string& name : names)
        keys.Add(section, name);
    return keys;
}

// The text fed to the scanner in pieces of the given size, as a file is read.
IniScan ScanOf(std::string_view text, const IniKeys& keys, std::size_t pieceSize) {
    IniScanner scanner(keys);
    for (std::size_t at = 0; at < text.size(); at += pieceSize)
        scanner.Feed(text.substr(at, pieceSize));
    return scanner.Finish();
}

// The text as a save writes it with the given values, read in pieces of the given size.
std::string Edited(std::string_view text, const IniKeys& keys,
                   const std::vector<std::optional<std::string>>& values, std::size_t pieceSize) {
    const IniScan scan = ScanOf(text, keys, pieceSize);
    std::string out;
    const TextSink sink = [&](std::string_view bytes) {
        out.append(bytes);
        return true;
    };
    IniEditor editor(keys, scan, values, sink);
    for (std::size_t at = 0; at < text.size() && editor.Feed(text.substr(at, pieceSize));)
        at += pieceSize;
    EXPECT_TRUE(editor.Finish());
    return out;
}

constexpr std::size_t kPieceSizes[] = {1u << 20, 1, 7};

struct ReadCase {
    const char* rule;
    std::string text;
    std::optional<std::string> value;  // of section "Value", key "edit1"
};

const std::vector<ReadCase> kReads{
    {"plain", "[Value]\nedit1=5\n", "5"},
    {"names match in any case", "[vALUE]\nEDIT1=5\n", "5"},
    {"blanks around names are ignored", "  [ Value ]  \n\t edit1 \t=5\n", "5"},
    {"blanks inside names count", "[Value]\ned it1=4\nedit1=5\n", "5"},
    {"the value keeps its blanks", "[Value]\nedit1=  5  \n", "  5  "},
    {"CRLF line ends", "[Value]\r\nedit1=5\r\n", "5"},
    {"no line end at the end", "[Value]\nedit1=5", "5"},
    {"a CR at the very end is part of the value", "[Value]\nedit1=5\r", "5\r"},
    {"byte-order mark before the first section", "\xEF\xBB\xBF[Value]\nedit1=5\n", "5"},
    {"comment lines are skipped", "[Value]\n;edit1=4\n  ; x\nedit1=5\n", "5"},
    {"lines without = are skipped", "[Value]\nedit1\nedit1=5\n", "5"},
    {"first duplicate wins", "[Value]\nedit1=5\nedit1=6\n", "5"},
    {"first duplicate wins across sections", "[Value]\nedit1=5\n[Value]\nedit1=6\n", "5"},
    {"keys before any section belong to none", "edit1=4\n[Value]\n", std::nullopt},
    {"other sections do not count", "[Other]\nedit1=4\n", std::nullopt},
    {"a CR in a section name is part of it", "[Value\r]\nedit1=4\n", std::nullopt},
    {"a line led by a CR holds no key", "[Value]\n\redit1=4\nedit1=5\n", "5"},
    {"empty value", "[Value]\nedit1=\n", ""},
    {"only the first = splits", "[Value]\nedit1==a=b\n", "=a=b"},
    {"a lone CR is part of the value", "[Value]\nedit1=5\r\r\n", "5\r"},
    {"NUL bytes are ordinary bytes", std::string("[Value]\nedit1=a\0b\n", 17),
     std::string("a\0b", 3)},
    {"a key line on an unclosed section header", "[Value\nedit1=5\n", "5"},
    {"empty file", "", std::nullopt},
    {"long lines of other keys are passed over",
     "[Value]\n" + std::string(40, 'k') + "=1\n" + std::string(40, 'k') + "=2\n\tedit1=5\n", "5"},
    {"a section after long lines of another one",
     "[Other]\nedit1=4" + std::string(40, 'x') + "\n" + std::string(40, 'y') +
         "\n  [Value]\nedit1=5",
     "5"},
    {"a byte-order mark and a long first line",
     "\xEF\xBB\xBF[Value]" + std::string(40, ' ') + "\nedit1=5\n", "5"},
    {"many blanks inside a section header", "[Value" + std::string(60000, ' ') + "]\nedit1=5\n",
     "5"},
    {"a header longer than the limit names no section asked for",
     "[Value" + std::string(kLineLimit, ' ') + "]\nedit1=5\n", std::nullopt},
    {"a long value comes back as its first 2047 bytes",
     "[Value]\nedit1=" + std::string(2046, 'x') + "yz\r\n", std::string(2046, 'x') + "y"},
    {"a value of 2047 bytes before a CR LF", "[Value]\nedit1=" + std::string(2047, 'x') + "\r\n",
     std::string(2047, 'x')},
};

TEST(IniScan, ReadingIsForgiving) {
    const IniKeys keys = KeysOf("Value", {"edit1"});
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.rule);
        for (const std::size_t pieceSize : kPieceSizes) {
            const IniScan scan = ScanOf(c.text, keys, pieceSize);
            const std::optional<IniScan::Value>& value = scan.values[0];
            EXPECT_EQ(value ? std::optional(value->text) : std::nullopt, c.value)
                << "in pieces of " << pieceSize;
        }
    }
}

struct WriteCase {
    const char* rule;
    std::string before;
    std::vector<std::pair<std::string, std::string>> values;  // section "S"
    std::string after;
};

const std::vector<WriteCase> kWrites{
    {"a new file", "", {{"a", "1"}, {"b", ""}}, "[S]\na=1\nb=\n"},
    {"only the value changes", "x\n[s]\n A =old ; keep\n", {{"a", "new"}}, "x\n[s]\n A =new\n"},
    {"a new key goes after the section's last line, before its blank lines",
     "[S]\na=1\n; note\n\n[T]\nz=0\n",
     {{"b", "2"}},
     "[S]\na=1\n; note\nb=2\n\n[T]\nz=0\n"},
    {"lines passed over move where new keys go",
     "[S]\n" + std::string(100, 'k') + "\n" + std::string(30, 'q') + "=1\n \t\n\n",
     {{"b", "2"}},
     "[S]\n" + std::string(100, 'k') + "\n" + std::string(30, 'q') + "=1\nb=2\n \t\n\n"},
    {"a new section goes at the end, after an open last line",
     "[T]\nz=0",
     {{"a", "1"}},
     "[T]\nz=0\n[S]\na=1\n"},
    {"CRLF files stay CRLF", "[S]\r\na=1\r\n", {{"a", "2"}, {"b", "3"}}, "[S]\r\na=2\r\nb=3\r\n"},
    {"the byte-order mark stays", "\xEF\xBB\xBF[S]\na=1\n", {{"a", "2"}}, "\xEF\xBB\xBF[S]\na=2\n"},
    {"new keys go to the first of duplicate sections, old ones stay where they are",
     "[S]\na=1\n[S]\nb=1\n",
     {{"b", "2"}, {"c", "3"}},
     "[S]\na=1\nc=3\n[S]\nb=2\n"},
    {"a later duplicate key is left alone", "[S]\na=1\na=2\n", {{"a", "3"}}, "[S]\na=3\na=2\n"},
    {"line feeds in a value become blanks", "", {{"a", "1\r\n[X]\ny=2"}}, "[S]\na=1\r [X] y=2\n"},
    {"a lone CR inside a value stays", "[S]\na=1\n", {{"a", "x\ry"}}, "[S]\na=x\ry\n"},
    {"a CR ending a value becomes a blank", "[S]\na=1\n", {{"a", "x\r"}}, "[S]\na=x \n"},
    {"a longer and a shorter value",
     "[S]\na=1\nb=" + std::string(5000, 'b') + "\nc=3\n",
     {{"a", std::string(3000, 'a')}, {"b", ""}},
     "[S]\na=" + std::string(3000, 'a') + "\nb=\nc=3\n"},
    {"keys of other sections in between stay",
     "[S]\na=1\n[T]\na=9\n[S]\nb=1\n",
     {{"b", "2"}, {"a", "3"}},
     "[S]\na=3\n[T]\na=9\n[S]\nb=2\n"},
    {"a new key after a section header at the end with no line end",
     "[T]\nz=0\n[S]",
     {{"a", "1"}},
     "[T]\nz=0\n[S]\na=1\n"},
};

TEST(IniScan, WritingChangesOnlyTheKeysWritten) {
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.rule);
        std::vector<std::string> names;
        std::vector<std::optional<std::string>> values;
        for (const auto& [key, value] : c.values) {
            names.push_back(key);
            values.emplace_back(value);
        }
        // A text without lines of its own gets the system's line end.
        const std::string after = c.before.empty() ? test::NativeLines(c.after) : c.after;
        for (const std::size_t pieceSize : kPieceSizes) {
            EXPECT_EQ(Edited(c.before, KeysOf("S", names), values, pieceSize), after)
                << "in pieces of " << pieceSize;
        }
    }
}

TEST(IniScan, AChangedTextIsNotWrittenOver) {
    const IniKeys keys = KeysOf("S", {"a"});
    const IniScan scan = ScanOf("[S]\na=1\n", keys, 64);
    const TextSink sink = [](std::string_view) { return true; };
    IniEditor shorter(keys, scan, {std::string("2")}, sink);
    shorter.Feed("[S]\na");
    EXPECT_FALSE(shorter.Finish());
    IniEditor longer(keys, scan, {std::string("2")}, sink);
    EXPECT_FALSE(longer.Feed("[S]\na=1\nb=2\n")) << "nothing beyond the scanned text is wanted";
    EXPECT_TRUE(longer.Finish());
}

TEST(IniScan, HostileBytesAreReadSafely) {
    std::mt19937 random(2002);
    std::string junk(1 << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    const std::vector<std::pair<const char*, std::string>> inputs{
        {"binary junk", junk},
        {"a 10 MB line", "[Value]\nedit1=" + std::string(10 << 20, 'x') + "\nedit2=2\n"},
        {"a 10 MB section name", "[" + std::string(10 << 20, 'V') + "\nedit2=2\n"},
        {"a 10 MB key", "[Value]\n" + std::string(10 << 20, 'e') + "=1\nedit2=2\n"},
        {"invalid UTF-8", "[Value]\nedit1=\xC3\x28\xFF\xFE\xA0\xA1\nedit2=2\n"},
        {"only line ends", std::string(1 << 20, '\n')},
        {"NULs everywhere", std::string(1 << 16, '\0') + "[Value]\nedit2=2\n"},
    };
    const IniKeys keys = KeysOf("Value", {"edit1", "edit2"});
    for (const auto& [rule, bytes] : inputs) {
        SCOPED_TRACE(rule);
        const std::string saved = Edited(bytes, keys, {std::nullopt, std::string("3")}, 65536);
        EXPECT_EQ(ScanOf(saved, keys, 65536).values[1]->text, "3");
    }
}

}  // namespace
}  // namespace palvoren
