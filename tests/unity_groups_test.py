#!/usr/bin/env python3
"""Which names a source declares at file scope, and which sources may share a batch."""
import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "cmake", "unity_groups.py")
spec = importlib.util.spec_from_file_location("unity_groups", SCRIPT)
unity_groups = importlib.util.module_from_spec(spec)
spec.loader.exec_module(unity_groups)


def declared(code):
    return unity_groups.file_scope_names(unity_groups.tokens(code))


class DeclaredNames(unittest.TestCase):
    def test_file_scope_declarations(self):
        cases = [
            ("namespace { int helper(int x) { return x; } }", {"helper"}),
            ("static const char *const kNames[] = {\"a\", \"b\"};", {"kNames"}),
            ("namespace kr {\nnamespace {\nconstexpr int kA = 1, kB = 2;\n}\n}", {"kA", "kB"}),
            ("using Alias = std::vector<int>;", {"Alias"}),
            ("typedef unsigned long Word;", {"Word"}),
            ("enum class Mode : int { Off, On };", {"Mode", "Off", "On"}),
            ("struct Local final : public Base { int member; };", {"Local"}),
            ("template <typename T> T clampTo(T v) { return v; }", {"clampTo"}),
            ("[[nodiscard]] static bool isDigit(char c) { return c >= '0'; }", {"isDigit"}),
            ("Q_LOGGING_CATEGORY(lcThing, \"kr.thing\")\nint after;", {"lcThing", "after"}),
            ("const auto pick = [](int v) { int inside = v; return inside; };", {"pick"}),
            ("extern \"C\" { int cFunction(void); }", {"cFunction"}),
            # What belongs to a class declared elsewhere is the class's.
            ("Foo::Foo(int a) : member_(a), other_(1'000) { int local = 0; }", set()),
            ("Foo::~Foo() = default;\nQString Foo::name() const { return {}; }", set()),
            ("struct Foo::Private { int hidden; };", set()),
            ("// static int commented;\nconst char *s = \"static int inString;\";", {"s"}),
            ("auto r = R\"(static int inRaw;)\";", {"r"}),
        ]
        for code, names in cases:
            with self.subTest(code=code):
                self.assertEqual(declared(code), names)


class Batches(unittest.TestCase):
    def batches(self, sources, size=8):
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for name, code in sources:
                path = os.path.join(folder, name)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(code)
                paths.append(path)
            out = subprocess.run([sys.executable, SCRIPT, str(size)] + paths, check=True,
                                 capture_output=True, text=True).stdout.split(";")
            return {os.path.basename(p): b for p, b in zip(out[::2], out[1::2])}

    def test_sources_that_could_clash_are_kept_apart(self):
        result = self.batches([
            ("a.cpp", "namespace { int count() { return 1; } }\nint A::f() { return count(); }"),
            ("b.cpp", "int B::g() { return count(); }"),  # names a.cpp's helper
            ("c.cpp", "int C::h() { return 3; }"),
            ("d.cpp", "#define CHECK(x) x\nint D::i() { return 4; }"),
            ("f.cpp", "#include \"f.moc\"\nint F::k() { return 6; }"),
            ("g.cpp", "#include <X11/Xlib.h>\nint G::l() { return 7; }"),
            ("h.cpp", "using namespace other;\nint H::m() { return 8; }"),
            ("i.cpp", "using namespace Qt::StringLiterals;\nint I::n() { return 9; }"),
        ])
        self.assertNotEqual(result["a.cpp"], result["b.cpp"])
        self.assertEqual(result["a.cpp"], result["c.cpp"])
        self.assertNotEqual(result["a.cpp"], "0")
        for alone in ("d.cpp", "f.cpp", "g.cpp", "h.cpp"):
            self.assertEqual(result[alone], "0", alone)
        self.assertEqual(result["i.cpp"], result["a.cpp"])

    def test_a_batch_holds_at_most_its_size_and_never_one(self):
        result = self.batches([(f"s{i}.cpp", f"int S{i}::f() {{ return {i}; }}") for i in range(7)], size=3)
        counts = {}
        for batch in result.values():
            counts[batch] = counts.get(batch, 0) + 1
        self.assertEqual(sorted(counts.values()), [1, 3, 3])
        self.assertEqual(result["s6.cpp"], "0")


if __name__ == "__main__":
    unittest.main()
