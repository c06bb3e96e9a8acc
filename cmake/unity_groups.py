#!/usr/bin/env python3
"""Sorts a library's sources into batches that compile as one translation unit.

Usage: unity_groups.py <batch size> <source>...
Prints one CMake list, `source;batch;source;batch;...`, with batch "0" for a
source that must be compiled by itself.

A batch is safe when no source in it declares a name at file scope that
another source of the batch names anywhere: a helper in an unnamed
namespace, a static, a file's own class, enum or alias, or a function
defined outside a class. Names defined as members (`Class::name`) are the
class's and never clash. A source is compiled alone when it includes its own
moc file, X11's or xcb's headers (whose macros break Qt code after them),
defines a macro (which would reach every line after it, the headers of the
sources after it too), registers a type or a global (Q_DECLARE_METATYPE,
Q_GLOBAL_STATIC), or puts a namespace in scope for the rest of the file.
"""
import re
import sys

TOKEN = re.compile(r"""
    (?P<skip>\s+|//[^\n]*|/\*.*?\*/)
  | (?P<raw>R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)")
  | (?P<str>(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*")
  | (?P<chr>(?:u8|u|U|L)?'(?:\\.|[^'\\\n])+')
  | (?P<num>\.?[0-9](?:[0-9a-zA-Z_.]|'(?=[0-9a-zA-Z])|[eEpP][+-])*)
  | (?P<id>[A-Za-z_][A-Za-z_0-9]*)
  | (?P<scope>::)
  | (?P<punct>.)
""", re.S | re.X)

LONE = re.compile(r'\.moc"|#\s*include\s*<(X11|xcb)/|^\s*#\s*(define|undef)\b'
                  r'|\bQ_DECLARE_METATYPE\b|\bQ_GLOBAL_STATIC\b'
                  r'|^\s*using\s+namespace\s+(?!Qt::(\w+::)?\w*[Ll]iterals\b|std::(\w+::)?\w*literals\b)',
                  re.M)
KEYWORDS = set("""
    alignas alignof auto bool break case catch char char8_t char16_t char32_t class const consteval
    constexpr constinit const_cast continue decltype default delete do double dynamic_cast else enum
    explicit export extern false final float for friend goto if inline int long mutable namespace new
    noexcept nullptr operator override private protected public register reinterpret_cast requires
    return short signed sizeof static static_assert static_cast struct switch template this
    thread_local throw true try typedef typeid typename union unsigned using virtual void volatile
    wchar_t while
""".split())


PREPROCESSOR = re.compile(r"^\s*#(?:[^\n]*\\\n)*[^\n]*", re.M)


def tokens(text):
    """The file's tokens as (kind, text), without comments, attributes and
    preprocessor lines."""
    out = []
    for match in TOKEN.finditer(PREPROCESSOR.sub("", text)):
        kind = match.lastgroup
        if kind == "skip":
            continue
        out.append(("str" if kind == "raw" else kind, match.group()))
    # [[attributes]] say nothing about names.
    kept, depth = [], 0
    for i, tok in enumerate(out):
        if tok[1] == "[" and i + 1 < len(out) and out[i + 1][1] == "[" and depth == 0:
            depth = 1
            continue
        if depth:
            if tok[1] == "[":
                depth += 1
            elif tok[1] == "]":
                depth -= 1
            continue
        kept.append(tok)
    return kept


def declared_name(head):
    """The name a declaration brings in, or None when it names a member of a
    class or namespace (`Class::name`) or declares nothing of its own."""
    depth = 0
    last = None
    for i, (kind, text) in enumerate(head):
        if kind == "punct" and text == "<":
            depth += 1
        elif kind == "punct" and text == ">":
            depth = max(0, depth - 1)
        elif depth == 0 and kind == "punct" and text in "(=[{;:":
            break
        elif depth == 0 and kind == "id" and text not in KEYWORDS:
            qualified = (i + 1 < len(head) and head[i + 1][0] == "scope"
                         or i > 0 and head[i - 1][1] in ("::", "~"))
            last = None if qualified else text
    return last


def macro_call_end(toks, i):
    """The index just past a macro call `NAME(...)` starting at toks[i], or None."""
    if not (toks[i][0] == "id" and toks[i][1].isupper() and len(toks[i][1]) > 2
            and i + 1 < len(toks) and toks[i + 1][1] == "("):
        return None
    depth = 0
    for j in range(i + 1, len(toks)):
        if toks[j][1] == "(":
            depth += 1
        elif toks[j][1] == ")":
            depth -= 1
            if depth == 0:
                return j + 1
    return len(toks)


def file_scope_names(toks):
    """Every name the file declares at namespace scope."""
    names = set()
    stack = []  # for each open brace: whether it opens a namespace (or extern "C")
    head = []   # the tokens of the current file-scope statement
    i = 0
    while i < len(toks):
        kind, text = toks[i]
        at_file_scope = all(stack)
        if kind == "punct" and text == "{":
            opens_namespace = at_file_scope and (
                bool(head) and head[0][1] in ("namespace", "inline") and "=" not in [t for _, t in head]
                or len(head) == 2 and head[0][1] == "extern" and head[1][0] == "str")
            if at_file_scope and not opens_namespace:
                collect(head, toks, i, names)
            stack.append(opens_namespace)
            if opens_namespace:
                head = []
        elif kind == "punct" and text == "}":
            if stack:
                stack.pop()
                if all(stack):
                    head = []
        elif at_file_scope:
            end = macro_call_end(toks, i) if not head else None
            if end is not None:
                # A macro that declares at file scope, such as a logging
                # category: every name between its parentheses counts.
                names.update(t for k, t in toks[i + 2:end] if k == "id")
                i = end
                continue
            if kind == "punct" and text == ";":
                collect(head, toks, i, names)
                head = []
            else:
                head.append((kind, text))
        i += 1
    return names


def collect(head, toks, end, names):
    """Adds what the file-scope statement `head` (ended by toks[end]) declares."""
    if head and head[0][1] == "template":
        # Drop the parameter list: its names are the template's own.
        depth = 0
        for j, (_, text) in enumerate(head):
            if text == "<":
                depth += 1
            elif text == ">":
                depth -= 1
                if depth == 0:
                    head = head[j + 1:]
                    break
    if not head:
        return
    words = [t for k, t in head if k == "id"]
    first = head[0][1]
    if first == "using":
        # `using Alias = ...;`, `using ns::name;`, `using enum E;`
        ids = [t for t in words if t not in ("using", "enum", "typename")]
        if ids:
            names.add(ids[0] if "=" in [t for _, t in head] else ids[-1])
        return
    if first == "namespace" and len(words) >= 2:
        names.add(words[1])  # a namespace alias
        return
    if first == "typedef":
        own = [w for w in words if w not in KEYWORDS]
        if own:
            names.add(own[-1])
        return
    if "enum" in words[:3]:
        # The enum's name and, where its body follows, every enumerator.
        names.update(w for w in words if w not in KEYWORDS)
        if toks[end][1] == "{":
            j = end + 1
            while j < len(toks) and toks[j][1] != "}":
                if toks[j][0] == "id":
                    names.add(toks[j][1])
                j += 1
        return
    for j, (kind, text) in enumerate(head):
        if text in ("class", "struct", "union"):
            # A class of the file's own; `struct Outer::Inner` is a member.
            chain = []
            for kind2, text2 in head[j + 1:]:
                if kind2 == "id" and text2 not in KEYWORDS:
                    chain.append(text2)
                elif kind2 != "scope" and not (kind2 == "id" and text2 in ("final", "alignas")):
                    break
            qualified = any(k == "scope" for k, _ in head[j + 1:j + 2 * len(chain)])
            if chain and not qualified:
                names.add(chain[0])
            return
    # Variables and functions: each declarator, split at top-level commas,
    # and nothing of a constructor's initialiser list.
    depth = 0
    for j, (kind, text) in enumerate(head):
        if text in "(<[{":
            depth += 1
        elif text in ")>]}":
            depth -= 1
        elif depth == 0 and text == ":" and j > 0 and head[j - 1][1] == ")":
            head = head[:j]
            break
    depth, part = 0, []
    for kind, text in head + [("punct", ",")]:
        if text in "(<[{":
            depth += 1
        elif text in ")>]}":
            depth -= 1
        if depth == 0 and text == ",":
            name = declared_name(part)
            if name:
                names.add(name)
            part = []
        else:
            part.append((kind, text))


def main():
    size = int(sys.argv[1])
    sources = sys.argv[2:]
    alone, declared, used = set(), {}, {}
    for source in sources:
        try:
            with open(source, encoding="utf-8", errors="replace") as f:
                text = f.read()
        except OSError:
            alone.add(source)
            continue
        if LONE.search(text):
            alone.add(source)
            continue
        toks = tokens(text)
        declared[source] = file_scope_names(toks)
        used[source] = ({t for k, t in toks if k == "id"}
                        | set(re.findall(r"[A-Za-z_]\w*", "\n".join(PREPROCESSOR.findall(text)))))

    batches = []  # [members, names declared by them, names used by them]
    result = []
    for source in sources:
        if source in alone:
            result += [source, "0"]
            continue
        for number, (members, names_declared, names_used) in enumerate(batches, start=1):
            if (len(members) < size and not (declared[source] & names_used)
                    and not (names_declared & used[source])):
                members.append(source)
                names_declared |= declared[source]
                names_used |= used[source]
                result += [source, str(number)]
                break
        else:
            batches.append([[source], set(declared[source]), set(used[source])])
            result += [source, str(len(batches))]
    # A batch of one is a source like any other.
    sizes = {}
    for batch in result[1::2]:
        sizes[batch] = sizes.get(batch, 0) + 1
    for i in range(1, len(result), 2):
        if sizes[result[i]] == 1:
            result[i] = "0"
    print(";".join(result), end="")


if __name__ == "__main__":
    main()
