#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target under fuzz/corpus/<target>/ from realistic
inputs: the default tinker.xml and variations of it, the configurations the tests load, the
patterns of the default parsers with real compiler output, and output streams with mixed line
ends, long lines and zero bytes. Run it again after changing what it writes; seeds that the
fuzzing adds by hand (crash reproducers) are left alone."""

import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
OUTPUT_DIR = os.path.join(ROOT, "tests", "data", "output")

DELIMITED = 16
FIRST_CHARS = 32
CONFIG_FLAGS = DELIMITED | FIRST_CHARS


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


DEFAULT_CONFIG = read(os.path.join(ROOT, "data", "tinker.xml"))
OUTPUTS = {name[:-4]: read(os.path.join(OUTPUT_DIR, name)) for name in sorted(os.listdir(OUTPUT_DIR))}

PARSERS = b"<parsers><gcc><error pattern='/^(.+):(\\d+): error/' file='1' line='2'/></gcc></parsers>"
TYPES = (b"<types><filetype filename='/^(.*)\\.c$/'><command name='Compile' parser='gcc'>cc $0</command>"
         b"</filetype></types>")


def document(body):
    return b"<tinker-config>" + body + b"</tinker-config>"


# Configurations: the default one, what the tests load, and the problems a user can make.
CONFIGS = {
    "default": DEFAULT_CONFIG,
    "default_crlf": DEFAULT_CONFIG.replace(b"\n", b"\r\n"),
    "default_no_comments": re.sub(rb"<!--.*?-->", b"", DEFAULT_CONFIG, flags=re.S),
    "minimal": document(PARSERS + TYPES),
    "colors_options": document(b"<colors background='1' text='2' error='3' warning='4' numbers='5'/>"
                               b"<options shownumbers='YES' autodelete='yes' beep='Yes' beeptime='15s' "
                               b"wavefile='sounds/done.wav'/>" + PARSERS + TYPES),
    "no_parsers": document(b"<colors text='3'/><options beep='yes'/>" + TYPES),
    "empty_parsers": document(b"<parsers><!-- none --></parsers>" + TYPES),
    "no_types": document(PARSERS),
    "types_text_only": document(PARSERS + b"<types>text only</types>"),
    "invalid_entries": document(
        b"<parsers><good><error pattern='/^x/' file='' line=''/></good>"
        b"<broken><error pattern='/^ok/' file='' line=''/><warning pattern='/^w/' line='1'/>"
        b"<warning pattern='/^w/' file='' line=''/><error pattern='/(/' file='' line=''/></broken>"
        b"<nopattern><warning file='1' line='1'/></nopattern><noline><error pattern='/^a/' file='1'/></noline>"
        b"<unslashed><error pattern='^a' file='1' line='1'/></unslashed></parsers>" + TYPES),
    "repeated_parser": document(
        b"<parsers><gcc><error pattern='/^first/' file='' line=''/></gcc>"
        b"<cl><warning pattern='/^w/' file='' line=''/></cl>"
        b"<gcc><warning pattern='/^second/' file='' line=''/></gcc></parsers>" + TYPES),
    "many_parsers": document(b"<parsers>" + b"".join(
        b"<p%d><error pattern='/^x/' file='' line=''/></p%d>" % (i, i) for i in range(9)) + b"</parsers>" + TYPES),
    "file_type_problems": document(
        PARSERS + b"<types><filetype><command name='lost' parser='gcc'>x</command></filetype>"
        b"<filetype filename='^(.*)\\.c$'><command name='bad' parser='gcc'>x</command></filetype>"
        b"<filetype filename='/^(.*)\\.c$/q'><command name='bad' parser='gcc'>x</command></filetype>"
        b"<filetype filename='/^(.*)\\.c$/'><command parser='gcc'>no name</command>"
        b"<command name='no parser'>x</command>"
        b"<command name='Multi' parser='gcc' prefix='cc'>gcc\n   -c\t$0\n-o $1.o</command>"
        b"<command name='Cdata' parser='gcc'><![CDATA[a<b]]></command>"
        b"<command name='Empty' parser='gcc' prefix=''/></filetype><filetype filename='/x/'/></types>"),
    "prefixes": document(
        PARSERS + b"<types><filetype filename='/^(.*)$/'>"
        b"<command name='one' parser='gcc' prefix='GCC'>first $0</command>"
        b"<command name='two' parser='gcc' prefix='cl'>second $0</command>"
        b"<command name='three' parser='gcc' prefix='cl'>third $0</command></filetype></types>"),
    "long_prefix_list": document(
        PARSERS + b"<types><filetype filename='/^(.*)$/'>" + b"".join(
            b"<command name='c%d' parser='gcc' prefix='prefix%03d'>run %d $0 $1 $$</command>" % (i, i, i)
            for i in range(120)) + b"</filetype></types>"),
    "groups_out_of_range": document(
        b"<parsers><odd><error pattern='/^(a)(b)?/' file='12' line='-1' pos='99'/>"
        b"<warning pattern='/^(.*?):(\\d+)/' file='2' line='1' pos='0'/>"
        b"<error pattern='/^(x)/' file='2147483647' line='-2147483648' pos=''/></odd></parsers>"
        b"<types><filetype filename='/^((((((((((x))))))))))(.*)$/i'>"
        b"<command name='all' parser='odd' prefix='all'>$0 $1 $2 $3 $4 $5 $6 $7 $8 $9 $$ $a $</command>"
        b"</filetype></types>"),
    "entities": document(
        b"<parsers><py><error pattern='/^\\s*File &quot;(.+?)&quot;, line (\\d+)/' file='1' line='2'/>"
        b"<warning pattern=\"/&lt;&gt;&amp;&apos;&#65;&#x42;/\" file='' line=''/></py></parsers>"
        b"<types><filetype filename='/^(.*)\\.py$/i'><command name='run' parser='py'>python3 &quot;$0&quot; "
        b"&lt; in &gt; out</command></filetype></types>"),
    "declaration_and_pi": b"<?xml version='1.0'?><!DOCTYPE tinker><?pi data?>" + document(PARSERS + TYPES),
}


def xml_variations():
    """Documents the reader has to cope with, valid and broken."""
    cases = dict(CONFIGS)
    for cut in (1, 10, 100, 1000, 3000, len(DEFAULT_CONFIG) - 20):
        cases["default_cut_%d" % cut] = DEFAULT_CONFIG[:cut]
    cases["zero_byte_inside"] = DEFAULT_CONFIG[:600] + b"\0" + DEFAULT_CONFIG[600:]
    cases["deep_nesting"] = b"<a>" * 300 + b"x" + b"</a>" * 300
    cases["nesting_255"] = b"<a>" * 255 + b"</a>" * 255
    cases["long_name"] = b"<" + b"n" * 300 + b" a='1'>t</" + b"n" * 300 + b">"
    cases["mismatched_end"] = b"<a><b></a></b>"
    cases["unclosed"] = b"<a><b attr='1'>text"
    cases["attributes"] = b"<e a='1' b=\"2\" a='3' c='&lt;&#x41;&#66;&unknown;&amp' d=''/>"
    cases["bad_attribute"] = b"<e a=1/>"
    cases["cdata_comment_pi"] = b"<r><![CDATA[<not a tag>]]><!-- c -- c --><?p x?>text &amp; more</r>"
    cases["whitespace_runs"] = b"<r>\t a \r\n\n b  \t</r>"
    cases["lone_lt"] = b"<r>a < b</r>"
    cases["end_only"] = b"</r>"
    cases["high_bytes"] = b"<r v='\xe4\xf6\xfc'>\xff\xfe\x80</r>"
    cases["many_children"] = b"<r>" + b"".join(b"<c%d/>" % (i % 37) for i in range(400)) + b"</r>"
    cases["many_attributes"] = b"<r " + b" ".join(b"a%d='%d'" % (i, i) for i in range(70)) + b"/>"
    return cases


def default_patterns():
    """Every pattern of the default parsers and file types, decoded as the reader gives them."""
    patterns = re.findall(rb'(?:pattern|filename)="([^"]*)"', DEFAULT_CONFIG)
    entities = [(b"&quot;", b'"'), (b"&apos;", b"'"), (b"&lt;", b"<"), (b"&gt;", b">"), (b"&amp;", b"&")]
    decoded = []
    for pattern in patterns:
        for entity, character in entities:
            pattern = pattern.replace(entity, character)
        decoded.append(pattern)
    return decoded


def regex_seeds():
    seeds = {}
    lines = [line for text in OUTPUTS.values() for line in text.split(b"\n") if line]
    for number, pattern in enumerate(default_patterns()):
        # Each default pattern with a spread of real output lines.
        for pick in range(number % 7, len(lines), 23):
            seeds["default_%02d_line_%03d" % (number, pick)] = bytes([CONFIG_FLAGS, 10]) + pattern + b"\0" + lines[pick]
    extra = [
        (0, 4, b"(a|b|c)(?:d)", b"bd"),
        (0, 3, b"(a)\\1+", b"aaaa"),
        (0, 2, b"(?<=ab)c", b"abc"),
        (0, 2, b"(?=ab)a(?!c)b", b"ab"),
        (1, 2, b"[a-z]+\\d{2,3}", b"HeLLo123"),
        (2, 1, b".+", b"line\nnext\r"),
        (4, 1, b"^b$", b"a\nb\nc"),
        (8, 1, b"a b\tc", b"abc"),
        (64, 1, b"\\q", b"q"),
        (0, 5, b"[abc]{2,3}x(?:y)\\Qp\\q\\E", b"abxyp\\q"),
        (0, 1, b"(a*)*b", b"a" * 40),
        (0, 1, b"(a|aa)+c", b"a" * 50),
        (0, 2, b"(.*?),(.*?),(.*?),x", b"a,b,c,d,e,f,g"),
        (0, 1, b"\\x41\\x4a[\\x00-\\x1f]", b"AJ\x01"),
        (0, 1, b"[^]x|[]y", b"y"),
        (0, 1, b"\\bword\\B", b"wordy"),
        (0, 2, b"(a)|b", b"b"),
        (0, 0, b"abc", b"abc"),
        (0, 12, b"(1)(2)(3)(4)(5)(6)(7)(8)(9)(10)(11)", b"1234567891011"),
        (1, 2, b"(ab)\\1", b"abAB"),
        (0, 1, b"a\\O|ab", b"ab"),
        (0, 1, b".*error", b"x" * 200 + b"\0error"),
        (CONFIG_FLAGS, 1, b"/x/imsxo", b"X"),
        (CONFIG_FLAGS, 1, b"/a{2,1}/", b"aa"),
        (0, 1, b"(" * 260 + b")" * 260, b""),
    ]
    for number, (flags, spans, pattern, subject) in enumerate(extra):
        seeds["syntax_%02d" % number] = bytes([flags, spans]) + pattern + b"\0" + subject
    return seeds


BAND = 0x40
NUMBERS = 0x80


def capture_header(columns, parser, largest, seed, rows=25, layout=0):
    """Console width, parser (gcc, msvc, make, python, none), largest chunk, chunking seed, and
    the window layout: height, bottom band, line numbers."""
    return bytes([columns - 1, parser, largest, seed, (rows - 1) | layout])


def capture_seeds():
    parser_of = {"clang": 0, "gcc": 0, "gxx": 0, "msvc": 1, "make": 2, "python": 3}
    seeds = {}
    for name, text in OUTPUTS.items():
        parser = parser_of[name.split("_")[0]]
        seeds[name] = capture_header(80, parser, 250, 1) + text
        seeds[name + "_crlf"] = capture_header(80, parser, 3, 2) + text.replace(b"\n", b"\r\n")
        seeds[name + "_narrow"] = capture_header(7, parser, 5, 3, rows=4, layout=NUMBERS) + text
        seeds[name + "_band"] = capture_header(60, parser, 17, 4, rows=30, layout=BAND | NUMBERS) + text
    seeds["progress"] = capture_header(80, 2, 1, 4) + b"compiling 10%\rcompiling 50%\rcompiling 100%\r\ndone\n"
    seeds["cr_lf_mixture"] = capture_header(10, 0, 2, 5) + b"a\r\nb\n\rc\r\r\nd\n\ne\r"
    seeds["lone_cr_at_end"] = capture_header(10, 0, 1, 6) + b"done\r"
    seeds["long_line"] = capture_header(20, 0, 255, 7) + b"f.c:1:1: error: " + b"x" * 1000 + b"\nend"
    seeds["exactly_full"] = capture_header(10, 0, 39, 8) + b"y" * 40 + b"\n" + b"z" * 40 + b"\r\n" + b"w" * 40 + b"\r"
    seeds["zero_bytes"] = capture_header(30, 0, 4, 9) + b"a.c:3:1: \0error: x\0\nb\0\0\n\0"
    seeds["control_bytes"] = capture_header(30, 4, 6, 10) + b"a\tb\x01\x1b[0mc\x7f\xe4\n\x1b[31mred\x1b[0m\n"
    seeds["unfinished_last_line"] = capture_header(80, 0, 255, 11) + b"first\nf.c:1:2: error: last"
    return seeds


def main():
    for name, data in xml_variations().items():
        write("xml_parse", name, data)
    for name, data in CONFIGS.items():
        write("configuration_load", name, data)
    for name, data in regex_seeds().items():
        write("regex_match", name, data)
    for name, data in capture_seeds().items():
        write("output_capture", name, data)


if __name__ == "__main__":
    main()
