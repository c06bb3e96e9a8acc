#include "platform/richtext/RtfKeywords.h"

#include "platform/richtext/RtfReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace kr {

namespace {

using K = RtfKeyword;
using When = RtfWord::When;
using U = RtfReader::Unkept;

struct Entry {
  std::string_view word;
  RtfWord meaning;
};

constexpr Entry act(std::string_view word, RtfKeyword keyword) { return {word, {keyword}}; }
constexpr Entry loses(std::string_view word, RtfKeyword keyword, quint32 unkept,
                      When when = When::Always) {
  return {word, {keyword, unkept, when}};
}
constexpr Entry ignored(std::string_view word, quint32 unkept = 0, When when = When::Always) {
  return {word, {K::Ignored, unkept, when}};
}
constexpr Entry skipped(std::string_view word, quint32 unkept = 0) {
  return {word, {K::SkippedDestination, unkept}};
}

// The words the reader acts on, and what they lose where the text cannot
// keep their effect.
constexpr Entry kActed[] = {
    act("ansi", K::Ansi),
    act("mac", K::Mac),
    act("pc", K::Pc),
    act("pca", K::Pca),
    act("ansicpg", K::AnsiCodePage),
    act("cocoartf", K::FaceNamedFonts),
    act("deff", K::DefaultFont),
    act("viewfont", K::ViewFont),
    act("fcharset", K::FontCharset),
    act("cpg", K::FontCodePage),
    act("uc", K::UnicodeSkip),
    act("u", K::Unicode),
    act("bin", K::Bin),
    act("fonttbl", K::FontTable),
    act("colortbl", K::ColorTable),
    act("fldinst", K::FieldInstruction),
    act("pict", K::Picture),
    act("shppict", K::PictureGroup),
    act("pngblip", K::PngPicture),
    act("jpegblip", K::JpegPicture),
    act("field", K::Field),
    act("fldrslt", K::FieldResult),
    act("NeXTGraphic", K::Attachment),
    loses("object", K::EmbeddedObject, U::Objects),
    loses("header", K::HeaderFooter, U::HeadersFooters),
    loses("headerl", K::HeaderFooter, U::HeadersFooters),
    loses("headerr", K::HeaderFooter, U::HeadersFooters),
    loses("headerf", K::HeaderFooter, U::HeadersFooters),
    loses("footer", K::HeaderFooter, U::HeadersFooters),
    loses("footerl", K::HeaderFooter, U::HeadersFooters),
    loses("footerr", K::HeaderFooter, U::HeadersFooters),
    loses("footerf", K::HeaderFooter, U::HeadersFooters),
    loses("footnote", K::Footnote, U::Footnotes),
    loses("shp", K::Drawing, U::Drawings),
    loses("do", K::Drawing, U::Drawings),
    loses("background", K::Drawing, U::Drawings),
    // character formatting
    act("plain", K::Plain),
    act("f", K::Font),
    act("fs", K::FontSize),
    act("b", K::Bold),
    act("i", K::Italic),
    act("ul", K::Underline),
    act("ulnone", K::UnderlineNone),
    act("strike", K::Strike),
    act("striked", K::DoubleStrike),
    act("caps", K::Capitals),
    act("expnd", K::Expand),
    act("expndtw", K::ExpandTwips),
    act("cf", K::ColorForeground),
    act("cb", K::ColorBackground),
    act("chcbpat", K::ColorBackground),
    act("highlight", K::ColorBackground),
    act("red", K::Red),
    act("green", K::Green),
    act("blue", K::Blue),
    // Underlines of other kinds show as the one kind the editor draws.
    loses("uld", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("uldash", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("uldashd", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("uldashdd", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("uldb", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulhwave", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulldash", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulth", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulthd", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulthdash", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulthdashd", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulthdashdd", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulthldash", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ululdbwave", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulw", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("ulwave", K::Underline, U::OtherFormatting, When::UnlessZero),
    loses("deleted", K::Deleted, U::TrackedChanges, When::UnlessZero),
    loses("v", K::Hidden, U::HiddenText, When::UnlessZero),
    loses("super", K::SuperSub, U::SuperSubscript),
    loses("sub", K::SuperSub, U::SuperSubscript),
    loses("up", K::Raised, U::SuperSubscript, When::UnlessZero),
    loses("dn", K::Raised, U::SuperSubscript, When::UnlessZero),
    // paragraph formatting
    act("pard", K::ParagraphDefault),
    act("ql", K::AlignLeft),
    act("qnatural", K::AlignLeft),
    act("qc", K::AlignCenter),
    act("qr", K::AlignRight),
    act("qj", K::AlignJustified),
    act("pardirnatural", K::NaturalDirection),
    act("ltrpar", K::LeftToRight),
    act("rtlpar", K::RightToLeft),
    act("li", K::LeftIndent),
    act("ri", K::RightIndent),
    act("fi", K::FirstLineIndent),
    act("sb", K::SpaceBefore),
    act("sa", K::SpaceAfter),
    act("sl", K::LineSpacing),
    act("slmult", K::LineSpacingMultiple),
    act("tx", K::TabStop),
    act("tqc", K::TabCenter),
    act("tqr", K::TabRight),
    act("tqdec", K::TabDecimal),
    loses("page", K::Break, U::Breaks),
    loses("sect", K::Break, U::Breaks),
    loses("column", K::Break, U::Breaks),
    loses("listtext", K::ListText, U::Lists),
    loses("pntext", K::ListText, U::Lists),
    loses("ls", K::ListLevel, U::Lists),
    loses("ilvl", K::ListLevel, U::Lists),
    loses("trowd", K::TableRow, U::Tables),
    loses("intbl", K::TableRow, U::Tables),
    // words that stand for a character
    act("par", K::Paragraph),
    act("line", K::Line),
    act("tab", K::Tab),
    loses("cell", K::Cell, U::Tables),
    loses("nestcell", K::Cell, U::Tables),
    loses("row", K::Row, U::Tables),
    loses("nestrow", K::Row, U::Tables),
    act("lquote", K::LeftSingleQuote),
    act("rquote", K::RightSingleQuote),
    act("ldblquote", K::LeftDoubleQuote),
    act("rdblquote", K::RightDoubleQuote),
    act("bullet", K::Bullet),
    act("emdash", K::EmDash),
    act("endash", K::EnDash),
    act("emspace", K::EmSpace),
    act("enspace", K::EnSpace),
    act("qmspace", K::QuarterEmSpace),
    act("zwj", K::ZeroWidthJoiner),
    act("zwnj", K::ZeroWidthNonJoiner),
    act("ltrmark", K::LeftToRightMark),
    act("rtlmark", K::RightToLeftMark),
};

// Destinations whose content is never body text: the document's tables and
// settings, which change nothing a user sees, and what the text loses.
constexpr Entry kSkipped[] = {
    skipped("stylesheet"),
    skipped("info"),
    skipped("objdata"),
    // The same picture again for readers that know no other kind.
    skipped("nonshppict"),
    skipped("listtable"),
    skipped("listoverridetable"),
    skipped("revtbl"),
    skipped("rsidtbl"),
    skipped("filetbl"),
    skipped("pgdsctbl"),
    skipped("themedata"),
    skipped("colorschememapping"),
    skipped("datastore"),
    skipped("latentstyles"),
    skipped("xmlnstbl"),
    skipped("generator"),
    skipped("userprops"),
    skipped("expandedcolortbl"),
    skipped("defchp"),
    skipped("defpap"),
    skipped("pnseclvl"),
    skipped("mmathPr"),
    skipped("wgrffmtfilter"),
    skipped("docvar"),
    skipped("listpicture"),
    skipped("protusertbl"),
    skipped("pgptbl"),
    skipped("fchars"),
    skipped("lchars"),
    // What separates the notes from the text: shown only with notes.
    skipped("ftnsep"),
    skipped("ftnsepc"),
    skipped("ftncn"),
    skipped("aftnsep"),
    skipped("aftnsepc"),
    skipped("aftncn"),
    skipped("annotation", U::Comments),
    skipped("atnid", U::Comments),
    skipped("atnauthor", U::Comments),
    skipped("atndate", U::Comments),
    skipped("atnref", U::Comments),
    skipped("atnicn", U::Comments),
    skipped("atnparent", U::Comments),
    skipped("atntime", U::Comments),
    skipped("atrfstart", U::Comments),
    skipped("atrfend", U::Comments),
    skipped("bkmkstart", U::Bookmarks),
    skipped("bkmkend", U::Bookmarks),
    skipped("xe", U::Fields),
    skipped("tc", U::Fields),
    skipped("txe", U::Fields),
    skipped("oldcprops", U::TrackedChanges),
    skipped("oldpprops", U::TrackedChanges),
    skipped("oldsprops", U::TrackedChanges),
    skipped("oldtprops", U::TrackedChanges),
    skipped("pn", U::Lists),
    skipped("nesttableprops", U::Tables),
    // The text of nested tables again, for readers that know none.
    skipped("nonesttables", U::Tables),
};

// Words that change nothing a user sees, between spaces: page setup and the
// layout of printed pages, languages, the fonts other scripts take, styles
// named by number (their formats are written out), revision-save ids,
// compatibility settings.
constexpr std::string_view kNeutral[] = {
    // document and section
    "rtf fbidis ltrdoc ltrsect rtlsect deflang deflangfe adeflang adeff stshfdbch stshfloch "
    "stshfhich stshfbi deftab pardeftab hyphauto hyphhotz hyphconsec hyphcaps viewscale "
    "viewkind viewzk viewbksp vieww viewh viewnobound formshade formprot fet paperw paperh "
    "psz margl margr margt margb gutter ogutter margmirror landscape facingp widowctrl "
    "cocoatextscaling cocoaplatform cocoasubrtf sectd sectunlocked sbknone sbkpage sbkcol "
    "sbkeven sbkodd pgwsxn pghsxn marglsxn margrsxn margtsxn margbsxn guttersxn lndscpsxn "
    "headery footery titlepg endnhere pgndec pgnucrm pgnlcrm pgnucltr pgnlcltr pgnstart "
    "pgnstarts pgnrestart pgncont pgnx pgny pgdscno cols colsx vertalt linex",
    // notes, numbered as they are
    "ftnbj ftntj ftnstart ftnrstcont ftnrstpg ftnrestart ftnnar ftnnalc ftnnauc ftnnrlc "
    "ftnnruc ftnnchi aenddoc aendnotes aftnbj aftntj aftnstart aftnrstcont aftnrestart "
    "aftnnar aftnnalc aftnnauc aftnnrlc aftnnruc aftnnchi enddoc endnotes sftnbj sftntj "
    "sftnstart sftnrstcont sftnrstpg sftnrestart sftnnar sftnnalc sftnnauc sftnnrlc sftnnruc "
    "sftnnchi saftnnar saftnnalc saftnnauc saftnnrlc saftnnruc saftnnchi saftnstart "
    "saftnrstcont saftnrestart",
    // compatibility settings of word processors
    "noxlattoyen expshrtn noultrlspc dntblnsbdb nospaceforul horzdoc dghspace dgvspace "
    "dghorigin dgvorigin dghshow dgvshow dgmargin jcompress jexpand lytprtmet lytcalctblwd "
    "lyttblrtgr lnbrkrule alntblind lnongrid nolnhtadjtbl nobrkwrptbl snaptogridincell "
    "allowfieldendsel wrppunct asianbrkrule newtblstyruls nogrowautofit usenormstyforlist "
    "noindnmbrts felnbrelev nocxsptable indrlsweleven noafcnsttbl afelev utinl hwelev "
    "spltpgpar notcvasp notbrkcnstfrctbl notvatxbx krnprsnet cachedcolbal nouicompat "
    "donotembedsysfont donotembedlingdata grfdocevents validatexml showplaceholdtext "
    "ignoremixedcontent saveinvalidxml showxmlerrors themelang themelangfe themelangcs "
    "relyonvml htmautsp useltbaln nojkernpunct rsidroot trackformatting defformat linkstyles "
    "makebackup doctemp allprot annotprot readprot revprot protlevel readonlyrecommended "
    "enforceprot splytwnine ftnlytwnine bdbfhdr",
    // languages, the fonts of other scripts, styles and ids
    "lang langfe langnp langfenp alang noproof loch hich dbch af afs ab ai fcs ltrch rtlch "
    "kerning cgrid gcw nosupersub s cs ds ts rsid insrsid charrsid delrsid pararsid sectrsid "
    "styrsid tblrsid CocoaLigature webhidden",
    // An underline's colour and an outline's, which writers give the
    // text's; the editor draws them in it.
    "ulc strokec",
    // shading: its pattern's colour shows only where it covers some
    "chcfpat",
    // paragraphs: pages, lines broken or hyphenated, grids and their
    // indents again as the start and end of their direction
    "nowidctlpar widctlpar hyphpar keep keepn noline nooverflow aspalpha aspnum adjustright "
    "faauto fahang facenter faroman favar fafixed nosnaplinegrid outlinelevel wrapdefault "
    "partightenfactor lin rin yts",
    // The kind of a border, which its side says is a cell's or a
    // paragraph's.
    "brdrs brdrth brdrsh brdrdb brdrdot brdrdash brdrhair brdrinset brdroutset brdrtriple "
    "brdrwavy brdrnone brdrw brdrcf brsp",
};

// The words of tables, between spaces: the text reads a table as lines of
// cells between tabs.
constexpr std::string_view kTableWords[] = {
    "cellx lastrow ltrrow rtlrow trgaph trleft trrh trkeep trhdr trql trqc trqr trautofit "
    "trftsWidth trwWidth trpaddt trpaddb trpaddl trpaddr trpaddft trpaddfb trpaddfl trpaddfr "
    "trbrdrt trbrdrb trbrdrl trbrdrr trbrdrh trbrdrv tblind tblindtype clbrdrt clbrdrb "
    "clbrdrl clbrdrr clpadt clpadb clpadl clpadr clpadft clpadfb clpadfl clpadfr clvertalt "
    "clvertalc clvertalb clcbpat clcfpat clshdng clftsWidth clwWidth clvmgf clvmrg clmgf "
    "clmrg",
};

// Other words that change no character of the text, but lose what they
// set or mark.
constexpr Entry kLosing[] = {
    // what the editor does not draw
    ignored("outl", U::OtherFormatting, When::UnlessZero),
    ignored("strokewidth", U::OtherFormatting, When::UnlessZero),
    ignored("shad", U::OtherFormatting, When::UnlessZero),
    ignored("scaps", U::OtherFormatting, When::UnlessZero),
    ignored("embo", U::OtherFormatting, When::UnlessZero),
    ignored("impr", U::OtherFormatting, When::UnlessZero),
    ignored("charscalex", U::OtherFormatting, When::UnlessHundred),
    ignored("chshdng", U::OtherFormatting, When::UnlessZero),
    // paragraphs spaced otherwise, or on a page of their own
    ignored("sbauto", U::OtherFormatting, When::UnlessZero),
    ignored("saauto", U::OtherFormatting, When::UnlessZero),
    ignored("contextualspace", U::OtherFormatting, When::UnlessZero),
    ignored("pagebb", U::Breaks, When::UnlessZero),
    ignored("itap", U::Tables, When::UnlessZero),
    // marks of what the groups name
    ignored("chftn", U::Footnotes),
    ignored("chatn", U::Comments),
    ignored("revised", U::TrackedChanges, When::UnlessZero),
    ignored("revauth", U::TrackedChanges),
    ignored("revauthdel", U::TrackedChanges),
    ignored("revdttm", U::TrackedChanges),
    ignored("revdttmdel", U::TrackedChanges),
    ignored("revisions", U::TrackedChanges),
    ignored("crauth", U::TrackedChanges),
    ignored("crdate", U::TrackedChanges),
    ignored("pnrauth", U::TrackedChanges),
    ignored("pnrdate", U::TrackedChanges),
    ignored("pnrnot", U::TrackedChanges),
    ignored("mvf", U::TrackedChanges),
    ignored("mvt", U::TrackedChanges),
};

// The words in an open-addressed table, made at compile time: a lookup
// hashes the word once and mostly compares it with one entry.
constexpr std::size_t kSlots = 2048;

constexpr std::uint32_t wordHash(std::string_view word) {
  std::uint32_t hash = 2166136261u;
  for (const char c : word)
    hash = (hash ^ std::uint8_t(c)) * 16777619u;
  return hash;
}

struct Slot {
  std::string_view word; // empty: a free slot
  RtfWord meaning;
};

constexpr void enter(std::array<Slot, kSlots>& table, std::string_view word, RtfWord meaning) {
  std::size_t i = wordHash(word) % kSlots;
  for (; !table[i].word.empty(); i = (i + 1) % kSlots) {
    if (table[i].word == word)
      throw "a word listed twice"; // stops the build
  }
  table[i] = Slot{word, meaning};
}
template <std::size_t N>
constexpr void enter(std::array<Slot, kSlots>& table, const Entry (&entries)[N]) {
  for (const Entry& entry : entries)
    enter(table, entry.word, entry.meaning);
}
template <std::size_t N>
constexpr void enter(std::array<Slot, kSlots>& table, const std::string_view (&lists)[N],
                     RtfWord meaning) {
  for (std::string_view list : lists) {
    while (!list.empty()) {
      const std::size_t space = std::min(list.find(' '), list.size());
      if (space > 0)
        enter(table, list.substr(0, space), meaning);
      list.remove_prefix(std::min(space + 1, list.size()));
    }
  }
}

constexpr std::array<Slot, kSlots> kTable = [] {
  std::array<Slot, kSlots> table{};
  enter(table, kActed);
  enter(table, kSkipped);
  enter(table, kNeutral, RtfWord{K::Ignored});
  enter(table, kTableWords, RtfWord{K::Ignored, U::Tables});
  enter(table, kLosing);
  return table;
}();

} // namespace

RtfWord rtfWord(std::string_view word) {
  if (!word.empty()) {
    for (std::size_t i = wordHash(word) % kSlots;; i = (i + 1) % kSlots) {
      const Slot& slot = kTable[i];
      if (slot.word.empty())
        break;
      if (slot.word == word)
        return slot.meaning;
    }
  }
  return RtfWord{RtfKeyword::Unknown, RtfReader::OtherFormatting};
}

RtfKeyword rtfKeyword(std::string_view word) { return rtfWord(word).keyword; }

quint32 rtfUnkept(const RtfWord& word, bool hasParameter, int parameter) {
  switch (word.when) {
  case When::Always:
    return word.unkept;
  case When::UnlessZero:
    return hasParameter && parameter == 0 ? 0 : word.unkept;
  case When::UnlessHundred:
    return hasParameter && parameter == 100 ? 0 : word.unkept;
  }
  return word.unkept;
}

bool isDestination(RtfKeyword keyword) {
  switch (keyword) {
  case K::FontTable:
  case K::ColorTable:
  case K::FieldInstruction:
  case K::SkippedDestination:
  case K::Footnote:
  case K::HeaderFooter:
  case K::Picture:
  case K::PictureGroup:
  case K::EmbeddedObject:
  case K::Drawing:
    return true;
  default:
    return false;
  }
}

bool isParagraphKeyword(RtfKeyword keyword) {
  switch (keyword) {
  case K::ParagraphDefault:
  case K::AlignLeft:
  case K::AlignCenter:
  case K::AlignRight:
  case K::AlignJustified:
  case K::NaturalDirection:
  case K::LeftToRight:
  case K::RightToLeft:
  case K::LeftIndent:
  case K::RightIndent:
  case K::FirstLineIndent:
  case K::SpaceBefore:
  case K::SpaceAfter:
  case K::LineSpacing:
  case K::LineSpacingMultiple:
  case K::TabStop:
  case K::TabCenter:
  case K::TabRight:
  case K::TabDecimal:
    return true;
  default:
    return false;
  }
}

char16_t rtfKeywordCharacter(RtfKeyword keyword) {
  switch (keyword) {
  case K::Paragraph:
  case K::Break:
  case K::Row:
    return u'\n';
  case K::Line:
    return 0x2028;
  case K::Tab:
  case K::Cell:
    return u'\t';
  case K::LeftSingleQuote:
    return 0x2018;
  case K::RightSingleQuote:
    return 0x2019;
  case K::LeftDoubleQuote:
    return 0x201C;
  case K::RightDoubleQuote:
    return 0x201D;
  case K::Bullet:
    return 0x2022;
  case K::EmDash:
    return 0x2014;
  case K::EnDash:
    return 0x2013;
  case K::EmSpace:
    return 0x2003;
  case K::EnSpace:
    return 0x2002;
  case K::QuarterEmSpace:
    return 0x2005;
  case K::ZeroWidthJoiner:
    return 0x200D;
  case K::ZeroWidthNonJoiner:
    return 0x200C;
  case K::LeftToRightMark:
    return 0x200E;
  case K::RightToLeftMark:
    return 0x200F;
  default:
    return 0;
  }
}

} // namespace kr
