#!/usr/bin/env python3
"""Builds our small broken programs with real toolchains and writes, for every line they print,
the kind (E error, W warning, - neither), file, line and column the default configuration must
give it: corpus/PARSER/CASE.tsv, one line each "KIND<tab>FILE<tab>LINE<tab>COLUMN<tab>TEXT", the
same form as `tinker --classify` prints.

Where a tool can describe its diagnostics in a machine-readable form, the expectation comes from
there: gcc's JSON, the diagnostics clang serialises (read back with c-index-test), rustc's and
cargo's JSON, tsc's plain form. Lines that no such form covers (the linker, make, the drivers,
tools without one) are given by the case itself, from what we know of our own programs; every such
expectation must meet at least one line, so a changed tool cannot slip by unnoticed.

Run it through make_corpus.sh, which installs the tools."""

import json
import os
import re
import shutil
import subprocess
import sys

WORK = "/tmp/tinker-corpus"  # a fixed place: some tools print absolute paths
ESCAPE = re.compile(rb"\x1b\[[0-9;]*[A-Za-z]")


class Case:
    def __init__(self, parser, name, files):
        self.parser = parser
        self.name = name
        self.dir = os.path.join(WORK, parser, name)
        self.files = files
        self.lines = []
        self.expected = {}  # line index -> (kind, file, line, column)
        self.claims = []  # (line start, kind, file, line, column)
        self.write_sources()

    def write_sources(self):
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        for name, text in self.files.items():
            path = os.path.join(self.dir, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(text)

    def run(self, command, keep=True):
        """Runs a shell command in the case's folder; its output (both streams, colour codes
        removed as a capture removes them) joins the case's lines when kept."""
        result = subprocess.run(command, shell=True, cwd=self.dir, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, env=ENV)
        output = ESCAPE.sub(b"", result.stdout).replace(b"\r\n", b"\n")
        if keep:
            lines = output.split(b"\n")
            if lines and lines[-1] == b"":
                lines.pop()
            self.lines.extend(lines)
        return output

    def expect(self, start, kind, file="", line=0, column=-1):
        """Every line starting with this text gets this expectation."""
        self.claims.append((start.encode(), kind, file, line, column))

    def place(self, header, kind, file="", line=0, column=-1):
        """The first line not yet placed that starts with header gets the expectation."""
        header = header.encode()
        for i, text in enumerate(self.lines):
            if text.startswith(header) and i not in self.expected:
                self.expected[i] = (kind, file, line, column)
                return
        raise SystemExit("%s/%s: no line starts with %r" % (self.parser, self.name, header))

    def finish(self, out_dir):
        for start, kind, file, line, column in self.claims:
            hits = [i for i, text in enumerate(self.lines) if text.startswith(start)]
            if not hits:
                raise SystemExit("%s/%s: no line starts with %r" % (self.parser, self.name, start))
            for i in hits:
                self.expected.setdefault(i, (kind, file, line, column))
        os.makedirs(os.path.join(out_dir, self.parser), exist_ok=True)
        with open(os.path.join(out_dir, self.parser, self.name + ".tsv"), "wb") as f:
            for i, text in enumerate(self.lines):
                kind, file, line, column = self.expected.get(i, ("-", "", 0, -1))
                f.write(b"%s\t%s\t%d\t%d\t%s\n" % (kind.encode(), file.encode(), line, column, text))


ENV = dict({k: v for k, v in os.environ.items() if not k.startswith("RUST")}, GOCACHE=WORK + "/gocache", GOPATH=WORK + "/gopath", GOPROXY="off", GOFLAGS="-mod=mod",
           CARGO_HOME=WORK + "/cargo", CARGO_TERM_COLOR="never", TERM="dumb")


def gcc_json(case, command):
    """Places the diagnostics gcc reports as JSON for the same compilation; notes stay unclassified.
    gcc 12 files some diagnostics as children of the one before, so children are read too."""
    output = case.run(command + " -fdiagnostics-format=json", keep=False)
    pending = sum([json.loads(line) for line in output.splitlines() if line.startswith(b"[")], [])
    found = []
    while pending:
        diagnostic = pending.pop(0)
        found.append(diagnostic)
        pending = diagnostic.get("children", []) + pending
    for diagnostic in found:
        kind = diagnostic["kind"]
        if kind not in ("error", "warning"):
            continue
        caret = diagnostic["locations"][0]["caret"]
        where = "%s:%d:%d: " % (caret["file"], caret["line"], caret["display-column"])
        fatal = kind == "error" and diagnostic["message"].endswith("No such file or directory")
        header = where + ("fatal error:" if fatal else kind + ":")
        case.place(header, "E" if kind == "error" else "W", caret["file"], caret["line"], caret["display-column"])


def clang_diagnostics(case, command):
    """Places the diagnostics clang serialises for the same compilation."""
    case.run(command + " --serialize-diagnostics diagnostics.dia", keep=False)
    listing = case.run("c-index-test -read-diagnostics diagnostics.dia", keep=False).decode()
    for entry in re.finditer(r"^(.+?):(\d+):(\d+): (error|warning|fatal): ", listing, re.M):
        file, line, column, kind = entry.group(1), int(entry.group(2)), int(entry.group(3)), entry.group(4)
        header = entry.group(0).replace("fatal:", "fatal error:")
        case.place(header, "W" if kind == "warning" else "E", file, line, column)


def rust_json(case, records):
    """Places rustc's JSON diagnostics: the first line of each rendered message by its level, and
    each "-->" line as an error at its span (there is no separate kind for a note's place)."""
    for record in records:
        message = record.get("message", record) if record.get("reason") else record
        if record.get("reason") and record["reason"] != "compiler-message":
            continue
        level = message["level"]
        if record.get("reason") and message["message"].startswith("aborting due to"):
            continue  # cargo says "could not compile" instead
        places = [s for s in message["spans"] if s["is_primary"]][:1]
        for child in message["children"]:
            places += [s for s in child["spans"] if s["is_primary"]][:1]
        rendered = message["rendered"].split("\n")
        if level in ("error", "warning"):
            case.place(rendered[0], "E" if level == "error" else "W")
        for text in rendered[1:]:
            arrow = re.match(r"^ *--> (.+):(\d+):(\d+)$", text)
            if arrow:
                span = places.pop(0)
                assert (span["file_name"], span["line_start"], span["column_start"]) == \
                    (arrow.group(1), int(arrow.group(2)), int(arrow.group(3))), text
                case.place(text, "E", span["file_name"], span["line_start"], span["column_start"])


GCC_SOURCE = {
    "quoting.c": """#include <stdio.h>
#include "broken.h"

int main(void) {
    int unused;
    printf("%d\\n", missing);
#warning "parser.c:10:2: error: a warning that quotes an error"
    return 0;
}
""",
    "broken.h": "static int broken(void) { return nothing; }\n",
    "fatal.c": "#include \"absent.h\"\n",
    "tmpl.cpp": """#include <vector>
#include <string>
template <typename T> int size_of(const T& t) { return t.size() + t.missing(); }
int main() {
    std::vector<std::string> v;
    return size_of(v) + size_of(3);
}
""",
}


def gcc_cases():
    cases = []
    case = Case("gcc", "gcc_diagnostics", GCC_SOURCE)
    for command in ["gcc -Wall -Wextra -c quoting.c", "gcc -c fatal.c", "g++ -Wall -c tmpl.cpp",
                    "x86_64-linux-gnu-gcc-12 -Wall -O2 -c quoting.c"]:
        case.run(command)
        gcc_json(case, command)
    case.expect("compilation terminated.", "-")
    case.expect("fatal.c:1:10: fatal error:", "E", "fatal.c", 1, 10)  # gcc's JSON is lost at a fatal error
    cases.append(case)

    case = Case("gcc", "clang_diagnostics", GCC_SOURCE)
    for command in ["clang -Wall -Wextra -c quoting.c", "clang -c fatal.c", "clang++ -Wall -c tmpl.cpp"]:
        case.run(command)
        clang_diagnostics(case, command)
    cases.append(case)

    link = {
        "one.c": "void a(void);\nvoid b2(void);\nint main(void) { a(); b2(); return 0; }\n",
        "two.c": "void b(void);\nvoid c(void) { b(); b(); }\nint twice = 1;\n",
        "three.c": "int twice = 2;\n",
        "ns.s": "\t.text\n\tnop\n",
    }
    case = Case("gcc", "linker", link)
    where = case.dir + "/"
    case.run("gcc -c one.c two.c three.c && gcc one.o two.o three.o -o prog")
    case.run("gcc -g -c one.c two.c three.c && gcc one.o two.o three.o -o prog")
    case.run("gcc -O2 -c one.c two.c && gcc one.o two.o -o prog")
    case.run("gcc -ffunction-sections -c one.c two.c && gcc one.o two.o -o prog")
    case.run("as ns.s -o ns.o && gcc -c three.c && gcc ns.o three.o -o prog")
    case.run("clang one.o two.o -o prog")
    # Without debugging information the linker names the object's source and a section; the line
    # number read from there is 0.
    for source in ["one.c:(.text", "two.c:(.text", "one.c:(.text.startup", "one.c:(.text.main",
                   "two.c:(.text.c"]:
        name = source.split(":")[0]
        case.expect(source, "E", name)
        case.expect("/usr/bin/ld: " + source, "E", name)
    for source, line in [("one.c", 3), ("two.c", 2)]:
        case.expect("%s%s:%d: " % (where, source, line), "E", where + source, line)
        case.expect("/usr/bin/ld: %s%s:%d: " % (where, source, line), "E", where + source, line)
    case.expect("/usr/bin/ld: three.o:(.data+0x0): multiple definition", "E", "three.o")
    # With debugging information a definition names its object, then its source.
    case.expect("/usr/bin/ld: three.o:%sthree.c:1: multiple definition" % where, "E", where + "three.c", 1)
    case.expect("collect2: error:", "E")
    case.expect("clang: error: linker command failed", "E")
    case.expect("/usr/bin/ld: warning:", "W")
    case.expect("(.text+0x17): undefined reference to `main'", "E")  # the start-up code names no source
    cases.append(case)

    case = Case("gcc", "assembler", {"asm.c": 'int main(void) { __asm__("bogus"); return 0; }\n',
                                     "bad.s": "\t.text\n\tnop\n\t.byte 300\n\tbogus\n"})
    case.run("gcc -g -c asm.c")
    case.run("gcc -c bad.s")
    case.run("clang -g -c asm.c")
    clang_diagnostics(case, "clang -g -c asm.c")
    case.expect("asm.c:1: Error:", "E", "asm.c", 1)
    case.expect("bad.s:3: Warning:", "W", "bad.s", 3)
    case.expect("bad.s:4: Error:", "E", "bad.s", 4)
    cases.append(case)

    case = Case("gcc", "drivers", {"ok.c": "int main(void) { return 0; }\n", "ok.cc": "int main() {}\n"})
    case.run("cc -c absent.c")
    case.run("cc -Wbogus -c ok.c")
    case.run("cc")
    case.run("cc absent.o")
    case.run("c++ -Wbogus -c ok.cc")
    case.run("x86_64-linux-gnu-gcc-12 -Wbogus -c ok.c")
    case.run("gcc -Wctor-dtor-privacy -c ok.c")
    case.run("clang -Wbogus -c ok.c")
    case.run("clang -c ok.c -lm")
    case.run("clang absent.c")
    case.run("clang++ -std=c++99 -c ok.cc")
    for start, kind in [("cc1: fatal error:", "E"), ("cc: error:", "E"), ("cc: fatal error:", "E"),
                        ("c++: error:", "E"), ("x86_64-linux-gnu-gcc-12: error:", "E"),
                        ("/usr/bin/ld: cannot find", "E"), ("collect2: error:", "E"), ("cc1: warning:", "W"), ("warning: unknown warning option", "W"),
                        ("clang: warning:", "W"), ("clang: error:", "E"), ("error: invalid value", "E"),
                        ("compilation terminated.", "-")]:
        case.expect(start, kind)
    cases.append(case)
    return cases


def make_cases():
    files = dict(GCC_SOURCE)
    files["Makefile"] = "all: quoting.o link\n\nquoting.o: quoting.c\n\tgcc -Wall -c quoting.c\n\n" \
        "link:\n\tgcc -o none fatal.o -lnosuchlib\n\nsub:\n\t$(MAKE) -f Makefile.sub\n"
    files["Makefile.sub"] = "all:\n\tfalse\n"
    files["Makefile.bad"] = "all:\n\ttrue\nnot a rule\n"
    case = Case("make", "make", files)
    case.run("make -k")
    gcc_json(case, "gcc -Wall -c quoting.c")
    case.run("make nowhere")
    case.run("make -f Makefile.bad")
    case.run("make sub")
    case.expect("make: *** [Makefile:4: quoting.o]", "E", "Makefile", 4)
    case.expect("make: *** [Makefile:7: link]", "E", "Makefile", 7)
    case.expect("make: *** [Makefile:10: sub]", "E", "Makefile", 10)
    case.expect("make[1]: *** [Makefile.sub:2: all]", "E", "Makefile.sub", 2)
    case.expect("make: *** No rule", "E")
    case.expect("Makefile.bad:3: ***", "E", "Makefile.bad", 3)
    case.expect("/usr/bin/ld: cannot find", "E")
    case.expect("collect2: error:", "E")
    case.expect("make: Target", "-")
    return [case]


def cmake_cases():
    files = {
        "CMakeLists.txt": """cmake_minimum_required(VERSION 3.13)
project(corpus C)
message(WARNING "a warning of our own")
include(helper.cmake)
message(AUTHOR_WARNING "for the author")
""",
        "missing/CMakeLists.txt": "cmake_minimum_required(VERSION 3.13)\nproject(m C)\nadd_executable(app absent.c)\n",
        "helper.cmake": 'message(SEND_ERROR "an error inside an included file")\n',
        "main.c": "int main(void) { return undefined_name; }\n",
        "good/CMakeLists.txt": "cmake_minimum_required(VERSION 3.13)\nproject(good C)\n"
                               "add_executable(app ../main.c)\n",
    }
    case = Case("cmake", "configure", files)
    case.run("cmake -S . -B build")
    case.run("cmake -S missing -B build2")
    case.run("cmake -S nowhere -B build3")
    case.expect("CMake Warning at CMakeLists.txt:3 (message):", "W", "CMakeLists.txt", 3)
    case.expect("CMake Error at helper.cmake:1 (message):", "E", "helper.cmake", 1)
    case.expect("CMake Warning (dev) at CMakeLists.txt:5 (message):", "W", "CMakeLists.txt", 5)
    case.expect("CMake Error at CMakeLists.txt:3 (add_executable):", "E", "CMakeLists.txt", 3)
    case.expect("CMake Generate step failed.", "E")
    case.expect("CMake Error: ", "E")
    case.expect("-- Configuring incomplete, errors occurred!", "E")
    cases = [case]

    for generator, name in [("Unix Makefiles", "build_make"), ("Ninja", "build_ninja")]:
        case = Case("cmake", name, files)
        case.run('cmake -S good -B build -G "%s" >/dev/null' % generator, keep=False)
        case.run("cmake --build build")
        gcc_json(case, "cd good && gcc -c " + case.dir + "/main.c")
        if generator == "Ninja":
            case.expect("FAILED: ", "E")
            case.expect("ninja: build stopped:", "E")
        else:
            case.expect("gmake[2]: *** [CMakeFiles/app.dir/build.make:76:", "E", "CMakeFiles/app.dir/build.make", 76)
            case.expect("gmake[1]: *** [CMakeFiles/Makefile2:83:", "E", "CMakeFiles/Makefile2", 83)
            case.expect("gmake: *** [Makefile:91:", "E", "Makefile", 91)
        cases.append(case)
    return cases


def ninja_cases():
    files = dict(GCC_SOURCE)
    files["build.ninja"] = "rule cc\n  command = gcc -Wall -c $in -o $out\nbuild quoting.o: cc quoting.c\n" \
        "build fatal.o: cc fatal.c\n"
    files["bad.ninja"] = "rule cc\n  command = true\nbuild x: nosuchrule y\n"
    files["dup.ninja"] = "rule cc\n  command = true\nbuild x: cc y\nbuild x: cc z\nbuild y: cc\nbuild z: cc\n"
    case = Case("ninja", "ninja", files)
    case.run("ninja -j1 -k 0")
    gcc_json(case, "gcc -Wall -c quoting.c")
    gcc_json(case, "gcc -Wall -c fatal.c")
    case.run("ninja -f bad.ninja")
    case.run("ninja -f dup.ninja -w dupbuild=warn")
    case.run("ninja -f absent.ninja")
    case.expect("FAILED: ", "E")
    case.expect("ninja: build stopped:", "E")
    case.expect("ninja: error: bad.ninja:3: ", "E", "bad.ninja", 3)
    case.expect("ninja: error: loading", "E")
    case.expect("ninja: warning: ", "W")
    case.expect("fatal.c:1:10: fatal error:", "E", "fatal.c", 1, 10)  # gcc's JSON is lost at a fatal error
    case.expect("compilation terminated.", "-")
    return [case]


RUST_MAIN = """fn main() {
    let unused = 1;
    println!("{}", missing);
    let n: u32 = "text";
}
"""


def rust_cases():
    case = Case("rust", "rustc", {"main.rs": RUST_MAIN, "warns.rs": "fn main() {\n    let unused = 1;\n}\n"})
    for source in ["main.rs", "warns.rs"]:
        case.run("rustc " + source)
        output = case.run("rustc --error-format=json " + source, keep=False)
        rust_json(case, [json.loads(line) for line in output.splitlines()])
    cases = [case]

    case = Case("rust", "cargo", {"Cargo.toml": '[package]\nname = "corpus"\nversion = "0.1.0"\nedition = "2021"\n',
                                  "src/main.rs": RUST_MAIN,
                                  "panics/Cargo.toml": '[package]\nname = "panics"\nversion = "0.1.0"\n',
                                  "panics/src/main.rs": 'fn main() {\n    let v: Vec<u32> = Vec::new();\n'
                                                        '    println!("{}", v[3]);\n}\n'})
    case.run("cargo build --offline")
    output = case.run("cargo build --offline --message-format=json", keep=False)
    rust_json(case, [json.loads(line) for line in output.splitlines() if line.startswith(b"{")])
    case.run("cd panics && cargo run --offline -q")
    case.expect("error: could not compile", "E")
    case.expect("thread 'main' panicked at", "E", "src/main.rs", 3, 20)
    cases.append(case)
    return cases


def go_cases():
    case = Case("go", "go", {"go.mod": "module corpus\n\ngo 1.19\n",
                             "main.go": 'package main\n\nimport "os"\n\nfunc main() {\n\tx := 1\n\ty()\n}\n',
                             "vet/go.mod": "module vetted\n\ngo 1.19\n",
                             "vet/main.go": 'package main\n\nimport "fmt"\n\nfunc main() {\n'
                                            '\tfmt.Printf("%d\\n", "text")\n}\n',
                             "panics/go.mod": "module panics\n\ngo 1.19\n",
                             "panics/main.go": 'package main\n\nfunc main() {\n\tv := []int{1}\n'
                                               '\ti := 3\n\tprintln(v[i])\n}\n'})
    case.run("go build")
    case.run("go vet")
    case.run("cd vet && go vet")
    case.run("cd panics && go run -trimpath .")
    case.run("cd /tmp && GO111MODULE=on go build")
    case.expect("./main.go:3:8:", "E", "./main.go", 3, 8)
    case.expect("./main.go:6:2:", "E", "./main.go", 6, 2)
    case.expect("./main.go:7:2:", "E", "./main.go", 7, 2)
    case.expect("vet: ./main.go:7:2:", "E", "./main.go", 7, 2)
    case.expect("./main.go:6:2: fmt.Printf", "E", "./main.go", 6, 2)
    case.expect("panic: ", "E")
    case.expect("\tpanics/main.go:6 +0x", "E", "panics/main.go", 6)
    case.expect("go: ", "E")
    return [case]


def java_cases():
    case = Case("java", "javac", {
        "Broken.java": "public class Broken {\n    public static void main(String[] a) {\n"
                       "        int n = missing;\n        String s = 4;\n        new Thread().stop();\n    }\n}\n",
        "Thrower.java": "public class Thrower {\n    public static void main(String[] a) {\n"
                        "        throw new IllegalStateException(\"boom\");\n    }\n}\n"})
    case.run("javac -Xlint:all Broken.java")
    case.run("javac Absent.java")
    case.run("javac Thrower.java && java Thrower")
    case.expect("Broken.java:3: error:", "E", "Broken.java", 3)
    case.expect("Broken.java:4: error:", "E", "Broken.java", 4)
    case.expect("Broken.java:5: warning:", "W", "Broken.java", 5)
    case.expect("error: file not found:", "E")
    case.expect("Exception in thread", "E")
    case.expect("\tat Thrower.main(Thrower.java:3)", "E", "Thrower.java", 3)
    return [case]


def typescript_cases():
    files = {"broken.ts": 'let n: number = "text";\nlet m = undefinedName;\n',
             "tsconfig.json": '{ "compilerOptions": { "noEmit": true, "strict": true }, "files": ["broken.ts"] }\n'}
    plain = Case("tsc", "plain", files)
    output = plain.run("tsc --pretty false --noEmit broken.ts").decode()
    found = re.findall(r"^(.+)\((\d+),(\d+)\): (error|warning) TS\d+: ", output, re.M)
    for file, line, column, kind in found:
        plain.place("%s(%s,%s): %s" % (file, line, column, kind), kind[0].upper(), file, int(line), int(column))
    pretty = Case("tsc", "pretty", files)
    pretty.run("tsc --pretty true --noEmit broken.ts")
    pretty.run("tsc --pretty true -p tsconfig.json --target nonsense")
    for file, line, column, kind in found:
        pretty.place("%s:%s:%s - %s" % (file, line, column, kind), kind[0].upper(), file, int(line), int(column))
    pretty.expect("error TS6046:", "E")  # an option's error names no file
    return [plain, pretty]


def perl_cases():
    case = Case("perl", "perl", {
        "syntax.pl": "use strict;\nmy $x = 1\nprint $x;\n",
        "warns.pl": "use warnings;\nmy $x;\nmy $y = $x + 1;\n$main::z = 1;\ndie \"gave up\";\n",
        "strict.pl": "use strict;\n$undeclared = 1;\n",
        "module.pl": "use Absent::Module;\n"})
    case.run("perl -c syntax.pl")
    case.run("perl warns.pl")
    case.run("perl strict.pl")
    case.run("perl module.pl")
    case.run("perl absent.pl")
    case.expect("syntax error at syntax.pl line 3,", "E", "syntax.pl", 3)
    case.expect('Global symbol "$x" requires explicit package name', "E", "syntax.pl", 3)
    case.expect("syntax.pl had compilation errors.", "E")
    case.expect("Use of uninitialized value $x in addition (+) at warns.pl line 3.", "W", "warns.pl", 3)
    case.expect('Name "main::z" used only once: possible typo at warns.pl line 4.', "W", "warns.pl", 4)
    case.expect("gave up at warns.pl line 5.", "E", "warns.pl", 5)
    case.expect('Global symbol "$undeclared" requires explicit package name', "E", "strict.pl", 2)
    case.expect("Execution of strict.pl aborted due to compilation errors.", "E")
    case.expect("Can't locate Absent/Module.pm in @INC", "E", "module.pl", 1)
    case.expect("BEGIN failed--compilation aborted at module.pl line 1.", "E", "module.pl", 1)
    case.expect("Can't open perl script", "E")
    return [case]


def fortran_cases():
    files = {"broken.f90": "program broken\n  real :: x\n  x = 1 +\nend program\n",
             "warns.f90": "program warns\n  integer :: unused\n  real :: x\n  x = 1.0\n  print *, x\nend program\n"}
    case = Case("gfortran", "gfortran", files)
    plain = case.run("gfortran -Wall -c -fdiagnostics-plain-output broken.f90 warns.f90").decode()
    # The plain form, one line for each diagnostic, tells where the caret form's places stand.
    found = re.findall(r"^(.+?):(\d+):(\d+): (Error|Warning): ", plain, re.M)
    case.run("gfortran -Wall -c broken.f90 warns.f90")
    case.run("gfortran -c absent.f90")
    for file, line, column, kind in found:
        case.place("%s:%s:%s: %s" % (file, line, column, kind), kind[0], file, int(line), int(column))
    for file, line, column, kind in found:
        # The caret form puts the place on a line of its own, before the kind is said: it is an
        # error's place whatever the kind, as rustc's "-->" lines are.
        case.place("%s:%s:%s:" % (file, line, column), "E", file, int(line), int(column))
    case.expect("Error: ", "E")
    case.expect("Warning: ", "W")
    case.expect("f951: Fatal Error:", "E")
    case.expect("compilation terminated.", "-")
    return [case]


def python_cases():
    case = Case("python", "python", {
        "decode.py": "import json\n\njson.loads('{broken')\n",
        "child.py": "import subprocess\n\nsubprocess.run(['false'], check=True)\n",
        "syntax.py": "def f(:\n    pass\n",
        "warns.py": "import warnings\n\nwarnings.warn('old', DeprecationWarning, stacklevel=1)\n"
                    "warnings.warn('plain')\n"})
    for script in ["decode.py", "child.py", "syntax.py", "-W always warns.py", "absent.py"]:
        case.run("python3 " + script)
    for start, file, line in [('  File "%s/decode.py", line 3' % case.dir, case.dir + "/decode.py", 3),
                              ('  File "%s/child.py", line 3' % case.dir, case.dir + "/child.py", 3),
                              ('  File "%s/syntax.py", line 1' % case.dir, case.dir + "/syntax.py", 1)]:
        case.expect(start, "E", file, line)
    # The library's own frames: the traceback's numbers, as nothing better tells them.
    for text in case.lines:
        frame = re.match(rb'  File "(/usr/lib/python3\.11/[^"]+)", line (\d+)', text)
        if frame:
            case.expect(text.decode(), "E", frame.group(1).decode(), int(frame.group(2)))
    case.expect("json.decoder.JSONDecodeError:", "E")
    case.expect("subprocess.CalledProcessError:", "E")
    case.expect("SyntaxError:", "E")
    case.expect("%s/warns.py:3: DeprecationWarning:" % case.dir, "W", case.dir + "/warns.py", 3)
    case.expect("%s/warns.py:4: UserWarning:" % case.dir, "W", case.dir + "/warns.py", 4)
    case.expect("python3: can't open file", "E")
    return [case]


def main():
    out_dir = sys.argv[1]
    shutil.rmtree(out_dir, ignore_errors=True)
    builders = [gcc_cases, make_cases, cmake_cases, ninja_cases, rust_cases, go_cases, java_cases,
                typescript_cases, perl_cases, fortran_cases, python_cases]
    for builder in builders:
        for case in builder():
            case.finish(out_dir)
            print("%s/%s: %d lines" % (case.parser, case.name, len(case.lines)))


if __name__ == "__main__":
    main()
