#include "cli/CommandLine.h"

#include <cerrno>
#include <cstring>
#include <set>

#include "cli/MessageText.h"
#include "common/Exceptions.h"
#include "common/StrUtils.h"
#include "common/SystemError.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

TPageRange ResolvePageRange(const std::optional<TPageRange>& Asked, int32_t Count) {
    if (!Asked) return {1, Count};
    TPageRange pages = *Asked;
    if (pages.Last == TPageRange::ToLastPage) pages.Last = Count;
    if (pages.First < 1 || pages.Last > Count || pages.First > pages.Last)
        throw Exception(TMessageCode::PageRangeInvalid);
    return pages;
}

int WorseExitCode(int A, int B) {
    const auto rank = [](int Code) {
        switch (Code) {
            case ExitOk: return 0;
            case ExitFindings: return 1;
            case ExitFailed: return 2;
            case ExitUsage: return 3;
            case ExitInterrupted: return 5;
            default: return 4;  // another failure
        }
    };
    return rank(A) >= rank(B) ? A : B;
}

const char* const UsageText =
    "Usage: lumerra info [--extended [--password PW | --password-file FILE]] [--json] [--revision N] FILE.pdf...\n"
    "       lumerra decode [-o OUT | --output-dir DIR] [--json | --json-data] [--no-comments] [--pages A-B]\n"
    "                      [--quiet] [--extended [--password PW | --password-file FILE]] [-j N]\n"
    "                      [--revision N] FILE.pdf...\n"
    "       lumerra triage [--json] [--password PW | --password-file FILE] FILE.pdf...\n"
    "       lumerra check [--content] [--objects [--stats]] [--json] [--pages A-B]\n"
    "                     [--password PW | --password-file FILE] [--revision N] [-j N] FILE.pdf...\n"
    "       lumerra revisions [--json] [--password PW | --password-file FILE] FILE.pdf...\n"
    "       lumerra show [--json] [--decoded | --raw | --hex] [--revision N]\n"
    "                    [--password PW | --password-file FILE] FILE.pdf [WHAT...]\n"
    "       lumerra COMMAND [options] --files-from LIST [-0] [-j N] [--timeout S] [--max-memory MIB]\n"
    "                       [--shard K/N] [--resume OUT.jsonl]\n"
    "       lumerra --help | --version\n";

const char* const HelpText =
    "lumerra - get the drawing commands out of a PDF file\n"
    "\n"
    "The default reading reads PDF 1.0 to 1.4 files with classic cross-reference\n"
    "tables and decodes /FlateDecode, /ASCIIHexDecode, /ASCII85Decode and their\n"
    "two chains; it refuses encrypted and damaged files. Extended reading\n"
    "(--extended) reads PDF 1.0 to 2.0 and decodes every standard filter of\n"
    "content streams (see below).\n"
    "\n"
    "lumerra info [--extended [password options]] [--json] FILE.pdf...\n"
    "    Loads each file and prints its structure, one \"key: value\" line each:\n"
    "    file, version, objects, pages, root, info, pages-root, first-page,\n"
    "    outlines, metadata, struct-tree, encrypted, media-box, xref-offsets\n"
    "    (newest first) and page-list (page objects in document order); then\n"
    "    title, author, subject, keywords, creator, producer, creation-date and\n"
    "    mod-date where the document information holds them (as UTF-8); with\n"
    "    --extended also xref (table, stream or hybrid), object-streams,\n"
    "    objects-in-streams and repaired, and for an encrypted file encryption\n"
    "    and password.\n"
    "    --json          one JSON object per file and line, with the same keys;\n"
    "                    a file that fails gives {\"file\", \"error\", \"context\"}\n"
    "    --revision N    the document as its revision N left it (see revisions)\n"
    "\n"
    "lumerra decode [options] FILE.pdf...\n"
    "    Decodes the content streams and Form XObjects of the pages into a\n"
    "    text report.\n"
    "    -o OUT          write the report to OUT (default: FILE.txt, or FILE.json\n"
    "                    with --json); \"-o -\" writes it to standard output;\n"
    "                    one input only\n"
    "    --output-dir DIR  write DIR/NAME.txt (or .json) for each input NAME.pdf;\n"
    "                    the folder is created when missing\n"
    "    --json          the report as one JSON document: pages, resources, forms,\n"
    "                    streams with their filters and decoded sizes\n"
    "    --json-data     the same with each stream's decoded bytes, base64-encoded\n"
    "                    as \"data-base64\"\n"
    "    --no-comments   only the decoded bytes, without the \"%\" comment lines\n"
    "    --pages A-B     pages A to B (counted from 1, A <= B); --pages N for one\n"
    "                    page, A- from A to the last page, -B from the first to B\n"
    "    --quiet         no progress bar\n"
    "    --revision N    the document as its revision N left it (see revisions)\n"
    "    --extended      extended reading (see below)\n"
    "    -j N, --threads N\n"
    "                    with several files, decode up to N at a time in N\n"
    "                    worker processes (no progress bar then); with one,\n"
    "                    N threads decode the pages ahead of the one being\n"
    "                    written (default: one per core; -j 1 uses one). The\n"
    "                    reports are the same for every count\n"
    "    The report is written beside OUT and takes its place only when the run\n"
    "    completes: a failed or interrupted run leaves a previous OUT as it was.\n"
    "    Ctrl-C stops after the page in progress. Devices and pipes are written\n"
    "    in place. With several files, one that fails is told on standard error\n"
    "    and the others are still decoded.\n"
    "\n"
    "lumerra check [--content] [--objects [--stats]] [--json] [--pages A-B]\n"
    "              [password options] [-j N] FILE.pdf...\n"
    "    Checks exactly these streams: each page's /Contents (its parts joined\n"
    "    into one content); the cells of the tiling patterns and the soft-mask\n"
    "    groups (/SMask /G of an ExtGState) its /Resources declare; each\n"
    "    appearance stream (/AP /N, /D, /R, each state) of its /Annots; the\n"
    "    glyph procedures of its Type 3 fonts (d0 or d1 first); and the Form\n"
    "    XObjects all these draw, forms inside forms included. Patterns, soft\n"
    "    masks and fonts declared only inside a form are not followed. Each is\n"
    "    checked against its own resources and the operators of PDF: operands,\n"
    "    q/Q, BT/ET, BMC/BDC/EMC and BX/EX nesting, where each operator may\n"
    "    stand, unknown operators, undeclared and unused resources, inline\n"
    "    images and the syntax of the bytes. Files are read as --extended reads\n"
    "    them. One line per finding:\n"
    "      FILE: page P, object N[, form NAME][, stream KIND NAME], offset O\n"
    "        [, operand-offset A]:\n"
    "        SEVERITY CODE (OP): message\n"
    "    The offset is the operator's, inside the part that holds it; a finding\n"
    "    about an operand gives the operand's too. A stream that could not be\n"
    "    decoded whole is an \"unchecked\" error, and a file with no page to\n"
    "    check a \"no-pages\" error (with no page).\n"
    "    then a count per severity (error, warning, info). At most 200 findings\n"
    "    are shown per page; a line says how many more there were.\n"
    "    --json          JSON Lines: one object per finding with file, page,\n"
    "                    object, form, offset, operator, severity, code and\n"
    "                    message (operand-offset and stream where they\n"
    "                    apply: \"pattern /P1\", \"soft-mask /GS1\",\n"
    "                    \"annotation 12 /N\"); {\"file\", \"page\", \"omitted\"} for findings left\n"
    "                    out, {\"file\", \"counts\"} per file, and {\"file\",\n"
    "                    \"error\"} for a file that cannot be read\n"
    "    --pages A-B     the pages to check, as for decode\n"
    "    --revision N    the document as its revision N left it (see revisions)\n"
    "    -j N, --threads N\n"
    "                    N threads check the pages of each file, each through a\n"
    "                    reader of its own (default: one per core; -j 1 uses\n"
    "                    one). The findings and their order are the same for\n"
    "                    every count\n"
    "    Codes: save-restore, text-object, marked-content, compatibility,\n"
    "    operand-count, operand-type, unknown-operator, undeclared-resource,\n"
    "    unused-resource (info), text-outside-text-object, operator-placement,\n"
    "    inline-image, syntax, operand-value, bad-resource, unchecked, no-pages.\n"
    "    --content       checks the pages' content as above (the default)\n"
    "    --objects       checks the objects instead against the Arlington PDF\n"
    "                    Model (ISO 32000-2 with its errata): from the trailer\n"
    "                    along the model's links, each object once per type it\n"
    "                    is reached as, its keys or elements against the\n"
    "                    type's rows. With --content too, both are checked.\n"
    "                    One line per finding:\n"
    "      FILE: [object N, ]path trailer/Root/..., [key K, ]type TYPE\n"
    "        [, version V]: SEVERITY CODE: message\n"
    "                    JSON Lines give file, check (\"objects\"), object,\n"
    "                    path, key, type, version, severity, code and message.\n"
    "                    Codes: missing-key, wrong-type, not-indirect,\n"
    "                    not-direct, value-not-allowed, array-length,\n"
    "                    special-case (errors); newer-than-file, no-type-fits\n"
    "                    (warnings); deprecated, unknown-key, types-tie (info).\n"
    "    --stats         with --objects, per file: the objects checked, the\n"
    "                    types matched, the findings per code, and the model's\n"
    "                    conditions evaluated, undetermined and skipped\n"
    "\n"
    "Passwords (info and decode with --extended, check, triage, revisions, show):\n"
    "    --password PW   an encrypted file's user or owner password. The empty\n"
    "                    password is tried first, as the user's and then as the\n"
    "                    owner's; then PW, as the user's and then as the\n"
    "                    owner's. Other users of the machine can see it\n"
    "                    (ps, shell history): prefer --password-file or\n"
    "                    LUMERRA_PASSWORD\n"
    "    --password-file FILE\n"
    "                    the password is the first line of FILE, without its\n"
    "                    line end; \"-\" reads it from standard input\n"
    "    LUMERRA_PASSWORD  environment variable: the password when neither\n"
    "                    option gives one (the options take precedence)\n"
    "    An AES-256 password is tried in its SASLprep form (RFC 4013), then as\n"
    "    given when that differs or SASLprep refuses it; both cut to 127 bytes.\n"
    "\n"
    "lumerra triage [--json] [password options] FILE.pdf...\n"
    "    Counts the keywords that tell a file acts or hides (obj ... startxref,\n"
    "    /Page, /Encrypt, /ObjStm, /JS, /JavaScript, /AA, /OpenAction, /AcroForm,\n"
    "    /JBIG2Decode, /RichMedia, /Launch, /EmbeddedFile, /XFA) in the raw bytes\n"
    "    as pdfid 0.2.10 counts them, in parentheses those spelt with \"#xx\"\n"
    "    escapes; then the %%EOF markers and the bytes after the last one. Each\n"
    "    name is also looked for in the objects extended reading parses (object\n"
    "    streams included, names decoded): the objects holding it as a key or\n"
    "    a value end its line. A file extended reading cannot load keeps its\n"
    "    raw counts; the reason goes to standard error (exit code 1).\n"
    "    --json          one JSON object per file and line: file, header,\n"
    "                    keywords (raw, raw-escaped, objects), eof-markers,\n"
    "                    after-last-eof\n"
    "lumerra revisions [--json] [password options] FILE.pdf...\n"
    "    Lists the revisions of each file (the original and each incremental\n"
    "    update), the oldest first, one line each: the kind and offset of its\n"
    "    cross-reference section, its bytes (from the previous revision's end\n"
    "    to just past its %%EOF line), the objects it added, changed and freed,\n"
    "    and the trailer keys (/Root, /Info, /Encrypt, /ID) it changed. Then\n"
    "    each signature: its /ByteRange, the revision it covers (the one whose\n"
    "    end the range ends at) and the objects added or changed after it, with\n"
    "    a line for each fault of its range; its kind (approval, certification\n"
    "    with its DocMDP level P, usage-rights, document-timestamp), /SubFilter,\n"
    "    field locks and integrity (whether its CMS data verifies over the byte\n"
    "    range with a certificate it carries: verified, failed, not-checked for\n"
    "    data signed another way); for each later revision how far it went\n"
    "    (none, lta, form-filling, annotations, other) and the verdict (allowed,\n"
    "    not-allowed, no-permission-declared); and each shadow-attack finding\n"
    "    (shadow-hide, shadow-replace, shadow-hide-and-replace,\n"
    "    unreachable-at-signing, evil-annotation, sneaky-signature) with its\n"
    "    objects. Sections that a startxref names but the /Prev chain does not\n"
    "    reach get an \"unlinked\" line; when the chain cannot be followed, the\n"
    "    revisions are the sections the %%EOF markers name, with a warning.\n"
    "    Then the bytes after the last %%EOF line. Offsets are the file's own.\n"
    "    Reads as extended reading does; an encrypted file needs no password\n"
    "    (cross-reference sections are not encrypted). Whether the signer is\n"
    "    trusted (certificate chains, revocation) is not checked.\n"
    "    --json          one JSON object per file and line: file, revisions\n"
    "                    (revision, xref, offset, start, end, added, changed,\n"
    "                    freed, trailer-changed), signatures (object, byte-range,\n"
    "                    revision, changed-after, findings when any, kind,\n"
    "                    subfilter, permissions {docmdp, fieldmdp, ur3},\n"
    "                    integrity, later [{revision, level, verdict, objects\n"
    "                    [{object, role, level}]}]), findings (code, message,\n"
    "                    signature, revision, objects), unlinked (xref, offset,\n"
    "                    start, end) and after-last-eof\n"
    "    With --revision N, info, decode, check and show read only the first\n"
    "    N revisions, as the file was when revision N was written; a number\n"
    "    beyond the newest is wrong usage.\n"
    "\n"
    "lumerra show [options] FILE.pdf [WHAT...]\n"
    "    Shows objects of the file in PDF syntax, read as extended reading\n"
    "    reads them: a line with the object's number and generation, the\n"
    "    revision that last wrote it and where it lies (its offset, or the\n"
    "    object stream and index), then its value; a stream's data follows its\n"
    "    dictionary. WHAT is one of (default: trailer):\n"
    "      trailer         the newest trailer\n"
    "      N, \"N G\"        object N (of generation G)\n"
    "      trailer/K/0/... a path from the trailer (or from object N, as\n"
    "                      N/K/...): dictionary keys without their slash and\n"
    "                      array indices from 0, references followed at each\n"
    "                      step; #xx in a key is the byte xx\n"
    "      page/P          page P's object (from 1)\n"
    "      xref            one line per object: free, offset or object stream\n"
    "                      and index, and the revision that last wrote it\n"
    "      refs/N          every object that refers to object N, with where in\n"
    "                      it (\"12: /Resources/Font/F1\")\n"
    "    --decoded       a stream's data through every filter (the default);\n"
    "                    a filter that cannot decode stops it, with a message\n"
    "    --raw           the data as stored (decrypted, not decoded)\n"
    "    --hex           the decoded data as a hex dump with offsets\n"
    "    --json          one JSON object per WHAT and line, values as qpdf's\n"
    "                    JSON v2 writes them, with object, generation,\n"
    "                    revision and location; a stream's data (base64) only\n"
    "                    with --decoded or --raw\n"
    "    --revision N    the document as its revision N left it\n"
    "    An object the file does not hold, or a path through a missing key,\n"
    "    is told on standard error (exit code 1); a WHAT that does not parse\n"
    "    is wrong usage.\n"
    "\n"
    "lumerra --version\n"
    "    Prints the version.\n"
    "\n"
    "Extended reading (--extended) also reads PDF 1.5 to 2.0: cross-reference\n"
    "streams, hybrid files, object streams, the LZW and RunLength filters with\n"
    "their predictors and chains of any length; it repairs damaged files (the\n"
    "object table rebuilt from the file itself, told on standard error) and\n"
    "opens encrypted files (standard security handler, RC4 and AES, revisions\n"
    "2 to 6: the empty password, then the one given, each as the user's and\n"
    "then as the owner's). A file that the default reading also reads gets\n"
    "the same report either way.\n"
    "\n"
    "The JSON of info, decode, check (its counts line) and revisions ends\n"
    "with \"diagnostics\": what was repaired or could not be read, one record\n"
    "each with code, severity, object, generation, offset, revision (null\n"
    "where unknown), parameters and message, and page and decoded-bytes for\n"
    "damaged stream data; a file that fails has them in its error object.\n"
    "\n"
    "Exit codes: 0 done, 1 a file could not be read or decoded (the reason\n"
    "on standard error), 2 wrong usage (also an unreadable password file or\n"
    "a revision a file does not have), 3 check found an error-level finding,\n"
    "130 interrupted. Over several files the other files are still done and\n"
    "the worst counts: 2, then 1, then 3.\n";

const char* const VersionText = "lumerra " LUMERRA_VERSION "\n";

namespace {

int32_t PageNumber(const std::string& Text, const std::string& Range) {
    const int32_t number = StrToIntDef(Text, -1);
    if (Text.empty() || Text[0] < '0' || Text[0] > '9' || number < 0)
        throw EUsageError("invalid page range: " + Range);
    return number;
}

int32_t JobCount(const std::string& Text) {
    const int32_t count = StrToIntDef(Text, -1);
    if (Text.empty() || Text[0] < '0' || Text[0] > '9' || count < 1 || count > 256)
        throw EUsageError("invalid job count: " + Text);
    return count;
}

// Two inputs of the same name must not overwrite each other's report.
void CheckDistinctOutputs(const TDecodeArgs& Args) {
    std::set<std::string> names;
    for (const std::string& input : Args.Inputs)
        if (!names.insert(OutputNameFor(Args, input)).second)
            throw EUsageError("two inputs would write the same report: " + OutputNameFor(Args, input));
}

// --password PW or --password-file FILE at Args[I]; moves I past the value.
// False for any other argument.
bool TakePasswordOption(const std::vector<std::string>& Args, size_t& I, TPasswordSource& Source) {
    const std::string& option = Args[I];
    if (option != "--password" && option != "--password-file") return false;
    if (I + 1 >= Args.size()) throw EUsageError("option " + option + " needs a value");
    (option == "--password" ? Source.Password : Source.File) = Args[++I];
    if (Source.Password && Source.File) throw EUsageError("--password and --password-file cannot be used together");
    if (Source.File && Source.File->empty()) throw EUsageError("empty password file name");
    return true;
}

// --revision N or --revision=N at Args[I]; moves I past the value. False for
// any other argument.
bool TakeRevisionOption(const std::vector<std::string>& Args, size_t& I, std::optional<int32_t>& Revision) {
    const std::string& option = Args[I];
    if (option.rfind("--revision=", 0) == 0) {
        Revision = ParseRevision(option.substr(11));
        return true;
    }
    if (option != "--revision") return false;
    if (I + 1 >= Args.size()) throw EUsageError("option --revision needs a value");
    Revision = ParseRevision(Args[++I]);
    return true;
}

TDecodeArgs ParseDecode(const std::vector<std::string>& Args, TPasswordSource& Password) {
    TDecodeArgs result;
    bool optionsEnded = false;
    for (size_t i = 1; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        auto value = [&](const std::string& option) -> const std::string& {
            if (i + 1 >= Args.size()) throw EUsageError("option " + option + " needs a value");
            return Args[++i];
        };
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "-o") {
            result.Output = value(arg);
            if (result.Output.empty()) throw EUsageError("empty output name");
        } else if (!optionsEnded && arg == "--no-comments") {
            result.WithComments = false;
        } else if (!optionsEnded && arg == "--extended") {
            result.Extended = true;
        } else if (!optionsEnded && TakePasswordOption(Args, i, Password)) {
            continue;
        } else if (!optionsEnded && TakeRevisionOption(Args, i, result.Revision)) {
            continue;
        } else if (!optionsEnded && arg == "--quiet") {
            result.Quiet = true;
        } else if (!optionsEnded && arg == "--pages") {
            result.Pages = ParsePageRange(value(arg));
        } else if (!optionsEnded && arg.rfind("--pages=", 0) == 0) {
            result.Pages = ParsePageRange(arg.substr(8));
        } else if (!optionsEnded && arg == "--json") {
            result.Json = true;
        } else if (!optionsEnded && arg == "--json-data") {
            result.Json = result.JsonData = true;
        } else if (!optionsEnded && arg == "--output-dir") {
            result.OutputDir = value(arg);
            if (result.OutputDir.empty()) throw EUsageError("empty output folder name");
        } else if (!optionsEnded && (arg == "-j" || arg == "--threads")) {
            result.Jobs = JobCount(value(arg));
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw EUsageError("unknown option: " + arg);
        } else {
            result.Inputs.push_back(arg);
        }
    }
    if (result.Inputs.empty()) throw EUsageError("no PDF file given");
    if (!result.Output.empty() && !result.OutputDir.empty())
        throw EUsageError("-o and --output-dir cannot be used together");
    if (!result.Output.empty() && result.Inputs.size() > 1)
        throw EUsageError("-o names one report: use --output-dir for several files");
    CheckDistinctOutputs(result);
    return result;
}

TCheckArgs ParseCheck(const std::vector<std::string>& Args, TPasswordSource& Password) {
    TCheckArgs result;
    bool optionsEnded = false;
    for (size_t i = 1; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--json") {
            result.Json = true;
        } else if (!optionsEnded && arg == "--pages") {
            if (i + 1 >= Args.size()) throw EUsageError("option --pages needs a value");
            result.Pages = ParsePageRange(Args[++i]);
        } else if (!optionsEnded && arg.rfind("--pages=", 0) == 0) {
            result.Pages = ParsePageRange(arg.substr(8));
        } else if (!optionsEnded && TakePasswordOption(Args, i, Password)) {
            continue;
        } else if (!optionsEnded && TakeRevisionOption(Args, i, result.Revision)) {
            continue;
        } else if (!optionsEnded && (arg == "-j" || arg == "--threads")) {
            if (i + 1 >= Args.size()) throw EUsageError("option " + arg + " needs a value");
            result.Jobs = JobCount(Args[++i]);
        } else if (!optionsEnded && arg == "--content") {
            result.Content = true;
        } else if (!optionsEnded && arg == "--objects") {
            result.Objects = true;
        } else if (!optionsEnded && arg == "--stats") {
            result.Stats = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw EUsageError("unknown option: " + arg);
        } else {
            result.Inputs.push_back(arg);
        }
    }
    if (result.Inputs.empty()) throw EUsageError("no PDF file given");
    if (result.Stats && !result.Objects) throw EUsageError("option --stats needs --objects");
    if (!result.Objects) result.Content = true;
    return result;
}

TShowArgs ParseShow(const std::vector<std::string>& Args, TPasswordSource& Password) {
    TShowArgs result;
    bool optionsEnded = false;
    std::vector<std::string> words;
    for (size_t i = 1; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--json") {
            result.Json = true;
        } else if (!optionsEnded && (arg == "--decoded" || arg == "--raw" || arg == "--hex")) {
            if (result.DataAsked) throw EUsageError("--decoded, --raw and --hex cannot be used together");
            result.DataAsked = true;
            result.Data = arg == "--raw" ? TShowArgs::TData::Raw
                          : arg == "--hex" ? TShowArgs::TData::Hex
                                           : TShowArgs::TData::Decoded;
        } else if (!optionsEnded && TakePasswordOption(Args, i, Password)) {
            continue;
        } else if (!optionsEnded && TakeRevisionOption(Args, i, result.Revision)) {
            continue;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw EUsageError("unknown option: " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) throw EUsageError("no PDF file given");
    result.Input = words.front();
    result.Whats.assign(words.begin() + 1, words.end());
    CheckShowTargets(result.Whats);
    return result;
}

}  // namespace

int32_t ParseRevision(const std::string& Text) {
    const int32_t number = StrToIntDef(Text, -1);
    if (Text.empty() || Text[0] < '0' || Text[0] > '9' || number < 1) throw EUsageError("invalid revision: " + Text);
    return number;
}

TPageRange ParsePageRange(const std::string& Text) {
    const size_t dash = Text.find('-');
    if (dash == std::string::npos) {
        const int32_t page = PageNumber(Text, Text);
        return {page, page};
    }
    if (Text == "-") throw EUsageError("invalid page range: " + Text);
    const std::string first = Text.substr(0, dash);
    const std::string last = Text.substr(dash + 1);
    const TPageRange range{first.empty() ? 1 : PageNumber(first, Text),
                           last.empty() ? TPageRange::ToLastPage : PageNumber(last, Text)};
    if (range.Last < range.First) throw EUsageError("reversed page range: " + Text);
    return range;
}

std::string ErrorLine(const std::string& File, const std::exception& Error) {
    const auto* error = dynamic_cast<const Exception*>(&Error);
    const std::string context = error != nullptr && !error->Context().empty() ? " (" + error->Context() + ")" : "";
    return "lumerra: " + File + ": " + ErrorSentence(Error) + context + "\n";
}

std::string ExtendedReadingHint(const std::string& Input) {
    if (!ExtendedReadingLoads(Input)) return "";
    return "lumerra: " + Input + ": --extended reads this file\n";
}

int CheckStandardOutput(std::ostream& Out, std::ostream& Err) {
    // A write that already failed (output longer than the buffer) left its
    // reason in errno.
    if (Out) errno = 0;
    Out.flush();
    if (Out) return ExitOk;
    const int error = errno != 0 ? errno : EIO;
    Err << ErrorLine("standard output", Exception(TMessageCode::WriteFailed, SystemErrorText(error)));
    return ExitFailed;
}

std::string DefaultOutputName(const std::string& Input) {
    if (SameText(ExtractFileExt(Input), ".pdf")) return ChangeFileExt(Input, ".txt");
    return Input + ".txt";
}

std::string OutputNameFor(const TDecodeArgs& Args, const std::string& Input) {
    if (!Args.Output.empty()) return Args.Output;
    std::string name = DefaultOutputName(Args.OutputDir.empty() ? Input : ExtractFileName(Input));
    if (Args.Json) name = ChangeFileExt(name, ".json");
    if (Args.OutputDir.empty()) return name;
    return Args.OutputDir + (Args.OutputDir.back() == '/' ? "" : "/") + name;
}

TArguments ParseArguments(const std::vector<std::string>& Args) {
    TArguments result;
    if (Args.empty()) throw EUsageError("no command given");
    const std::string& command = Args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        result.Command = TCommand::Help;
    } else if (command == "--version") {
        result.Command = TCommand::Version;
    } else if (command == "info") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        for (size_t i = 1; i < Args.size(); ++i) {
            if (Args[i] == "--extended")
                result.Extended = true;
            else if (Args[i] == "--json")
                result.Json = true;
            else if (TakePasswordOption(Args, i, result.PasswordSource) || TakeRevisionOption(Args, i, result.Revision))
                continue;
            else if (Args[i].size() > 1 && Args[i][0] == '-')
                throw EUsageError("unknown option: " + Args[i]);
            else
                result.Inputs.push_back(Args[i]);
        }
        if (result.Inputs.empty()) throw EUsageError("no PDF file given");
        result.Command = TCommand::Info;
    } else if (command == "triage" || command == "revisions") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        for (size_t i = 1; i < Args.size(); ++i) {
            if (Args[i] == "--json")
                result.Json = true;
            else if (TakePasswordOption(Args, i, result.PasswordSource))
                continue;
            else if (Args[i].size() > 1 && Args[i][0] == '-')
                throw EUsageError("unknown option: " + Args[i]);
            else
                result.Inputs.push_back(Args[i]);
        }
        if (result.Inputs.empty()) throw EUsageError("no PDF file given");
        result.Command = command == "triage" ? TCommand::Triage : TCommand::Revisions;
    } else if (command == "decode") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        result.Command = TCommand::Decode;
        result.Decode = ParseDecode(Args, result.PasswordSource);
    } else if (command == "check") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        result.Command = TCommand::Check;
        result.Check = ParseCheck(Args, result.PasswordSource);
    } else if (command == "show") {
        if (Args.size() == 2 && Args[1] == "--help") return result;
        result.Command = TCommand::Show;
        result.Show = ParseShow(Args, result.PasswordSource);
    } else {
        throw EUsageError("unknown command: " + command);
    }
    return result;
}

}  // namespace lumerra::cli
