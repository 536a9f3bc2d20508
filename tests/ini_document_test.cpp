#include "settings/ini_document.h"

#include "settings/ini_value_reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_support.h"

namespace palvoren {
namespace {

struct ReadCase {
    const char* rule;
    std::string text;
    std::optional<std::string> value;  // of section "Value", key "edit1"
};

const std::vector<ReadCase> kReads{
    {"plain", "[Value]\nedit1=5\n", "5"},
    {"names match in any case", "[vALUE]\nEDIT1=5\n", "5"},
    {"blanks around names are ignored", "  [ Value ]  \n\t edit1 \t=5\n", "5"},
    {"the value keeps its blanks", "[Value]\nedit1=  5  \n", "  5  "},
    {"CRLF line ends", "[Value]\r\nedit1=5\r\n", "5"},
    {"no line end at the end", "[Value]\nedit1=5", "5"},
    {"byte-order mark before the first section", "\xEF\xBB\xBF[Value]\nedit1=5\n", "5"},
    {"comment lines are skipped", "[Value]\n;edit1=4\n  ; x\nedit1=5\n", "5"},
    {"lines without = are skipped", "[Value]\nedit1\nedit1=5\n", "5"},
    {"first duplicate wins", "[Value]\nedit1=5\nedit1=6\n", "5"},
    {"first duplicate wins across sections", "[Value]\nedit1=5\n[Value]\nedit1=6\n", "5"},
    {"keys before any section belong to none", "edit1=4\n[Value]\n", std::nullopt},
    {"other sections do not count", "[Other]\nedit1=4\n", std::nullopt},
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
};

// A document told which keys matter must read and write exactly as one that indexes every key.
IniKeys KeysOf(std::string_view section, const std::vector<std::string_view>& names) {
    IniKeys keys;
    for (std::string_view name : names)
        keys.Add(section, name);
    return keys;
}

TEST(IniDocument, ReadingIsForgiving) {
    const IniKeys keys = KeysOf("Value", {"edit1"});
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(IniDocument::Parse(c.text).Find("Value", "edit1"), c.value);
        EXPECT_EQ(IniDocument::Parse(c.text, keys).Find("Value", "edit1"), c.value);
        // Read in pieces, as a large file is: whole, and cut at every byte.
        for (const std::size_t pieceSize : {c.text.size() + 1, std::size_t{1}, std::size_t{7}}) {
            IniValueReader reader(keys);
            for (std::size_t at = 0; at < c.text.size(); at += pieceSize)
                reader.Feed(std::string_view(c.text).substr(at, pieceSize));
            reader.Finish();
            EXPECT_EQ(reader.Find("Value", "edit1"), c.value) << "in pieces of " << pieceSize;
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
    {"keys of other sections in between stay",
     "[S]\na=1\n[T]\na=9\n[S]\nb=1\n",
     {{"b", "2"}, {"a", "3"}},
     "[S]\na=3\n[T]\na=9\n[S]\nb=2\n"},
    {"a new key after a section header at the end with no line end",
     "[T]\nz=0\n[S]",
     {{"a", "1"}},
     "[T]\nz=0\n[S]\na=1\n"},
};

TEST(IniDocument, WritingChangesOnlyTheKeysWritten) {
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.rule);
        std::vector<std::string_view> names;
        for (const auto& [key, value] : c.values)
            names.push_back(key);
        IniDocument all = IniDocument::Parse(c.before);
        IniDocument some = IniDocument::Parse(c.before, KeysOf("S", names));
        for (const auto& [key, value] : c.values) {
            all.Set("S", key, value);
            some.Set("S", key, value);
        }
        // A text without lines of its own gets the system's line end.
        const std::string after = c.before.empty() ? test::NativeLines(c.after) : c.after;
        EXPECT_EQ(all.Serialize(), after);
        EXPECT_EQ(some.Serialize(), after);
    }
}

TEST(IniDocument, KeysNotAskedForAreAProgrammingError) {
    IniDocument doc = IniDocument::Parse("[Value]\nedit2=2\n", KeysOf("Value", {"edit1"}));
    EXPECT_THROW(doc.Find("Value", "edit2"), std::logic_error);
    EXPECT_THROW(doc.Set("Form", "edit1", "1"), std::logic_error);
}

TEST(IniDocument, HostileBytesAreReadSafely) {
    std::mt19937 random(2002);
    std::string junk(1 << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    const std::vector<std::pair<const char*, std::string>> inputs{
        {"binary junk", junk},
        {"a 10 MB line", "[Value]\nedit1=" + std::string(10 << 20, 'x') + "\nedit2=2\n"},
        {"a 10 MB section name", "[" + std::string(10 << 20, 'V') + "\nedit2=2\n"},
        {"invalid UTF-8", "[Value]\nedit1=\xC3\x28\xFF\xFE\xA0\xA1\nedit2=2\n"},
        {"only line ends", std::string(1 << 20, '\n')},
        {"NULs everywhere", std::string(1 << 16, '\0') + "[Value]\nedit2=2\n"},
    };
    for (const auto& [rule, bytes] : inputs) {
        SCOPED_TRACE(rule);
        IniDocument doc = IniDocument::Parse(bytes);
        doc.Find("Value", "edit1");
        doc.Set("Value", "edit2", "3");
        const IniDocument again = IniDocument::Parse(doc.Serialize());
        EXPECT_EQ(again.Find("Value", "edit2"), "3");
    }
}

}  // namespace
}  // namespace palvoren
