#pragma once

#include <QByteArray>

// Looks at the raw text of a settings file for hand edits that QSettings would read in a way
// that costs the user something.
//
// Two kinds matter. A line with an unclosed double quote, or one that ends in a backslash,
// runs on into the lines after it: every key below it becomes part of its value and is gone
// for good at the next write. Such a line is mended by storing its raw text as a quoted value
// that QSettings reads back as that text, or, when it has no usable key, by turning it into a
// comment. A key line that would run on into blank lines only, or into the end of the file,
// loses no key and is left as it is; a section name that runs on at all spoils the keys below
// it and is always mended. Other hand edits are only dropped when QSettings rewrites the file
// (comments, lines without "=", repeated keys, text after ";", bytes that are not UTF-8,
// undecodable "@Variant(" values, the final quote or backslash of a line left as it is): those
// call for a copy of the file before it is rewritten, nothing more.
namespace IniFileCheck {

struct Result
{
    bool runsOn = false;    // some line would swallow a line with text in it
    bool dropsText = false; // the next rewrite would drop some of the file's text
    QByteArray mended;      // the content with every run-on line mended
};

Result inspect(const QByteArray &content);

} // namespace IniFileCheck
