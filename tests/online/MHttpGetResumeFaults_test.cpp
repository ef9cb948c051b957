// The resumable download against servers that misbehave on the wire: each test is one rule,
// each row one way a server breaks it.

#include "online/MHttpGetResume.h"
#include "online/WinInetErrors.h"
#include "support/RawHttpServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>

using namespace hx;
using hx::test::rawAnswer;
using hx::test::rawHead;
using hx::test::RawHttpServer;
using hx::test::readFile;
using hx::test::TempDir;
using hx::test::writeFile;
using Request = RawHttpServer::Request;
using Script = RawHttpServer::Script;

namespace {

const std::string kDone = "Download concluído com sucesso!";
const std::string kAlready = "Download já efetuado e concluído com sucesso!";

std::string pattern(std::size_t size, unsigned seed = 3)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 13 + seed * 29 + i / 509) & 0xff);
    return s;
}

std::string gzipped(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string chunked(const std::string& data)
{
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    return size + data + "\r\n0\r\n\r\n";
}

// The offset of "Range: bytes=S-" (or "S-E"); -1 without one.
long long rangeStart(const Request& r)
{
    const std::string range = r.header("range");
    return range.rfind("bytes=", 0) == 0 ? std::atoll(range.c_str() + 6) : -1;
}

// A well-behaved file: HEAD with `headStatus` (200: with its length), ranges honoured unless
// If-Range names another version, ETag `etag`; every GET body cut after `dropAt` bytes.
Script rangedFile(const std::string& body, int headStatus = 200, const std::string& etag = "",
                  std::size_t dropAt = std::string::npos)
{
    return [=](const Request& r) -> std::string {
        std::vector<std::string> headers;
        if (!etag.empty())
            headers.push_back("ETag: " + etag);
        if (r.method == "HEAD")
            return headStatus == 200 ? rawAnswer(r, 200, body, headers) : rawHead(headStatus, {});
        long long start = rangeStart(r);
        const std::string ifRange = r.header("if-range");
        if (!ifRange.empty() && ifRange != etag)
            start = -1;
        std::string reply;
        if (start < 0 || r.header("range") == "bytes=0-0") {
            const bool probe = start == 0;
            const std::string part = probe ? body.substr(0, 1) : body;
            if (probe)
                headers.push_back("Content-Range: bytes 0-0/" + std::to_string(body.size()));
            reply = rawAnswer(r, probe ? 206 : 200, part, headers);
        } else {
            headers.push_back("Content-Range: bytes " + std::to_string(start) + "-" +
                              std::to_string(body.size() - 1) + "/" + std::to_string(body.size()));
            reply = rawAnswer(r, 206, body.substr(static_cast<std::size_t>(start)), headers);
        }
        const std::size_t head = reply.find("\r\n\r\n") + 4;
        return dropAt == std::string::npos ? reply : reply.substr(0, head + dropAt);
    };
}

// One download with tiny pauses, recording the statuses.
struct Download {
    TMHttpGetResume d;
    std::vector<std::string> statuses;
    std::string received;

    Download(const std::string& url, const std::string& file)
    {
        d.MURL = url;
        d.MArquivoLocal = file;
        d.setPauseUnit(std::chrono::milliseconds(1));
        d.setReportInterval(std::chrono::milliseconds(0));
        d.setNumberSeparators({",", "."});
        d.MOnStatus = [this](TMHttpGetResume&, const std::string& s) { statuses.push_back(s); };
        d.MLblRecebido = [this](const std::string& t) { received = t; };
    }
    bool said(const std::string& text) const
    {
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }
};

} // namespace

TEST(MHttpGetResumeFaults, RetriesAreBoundedWithPausesBetween)
{
    const std::string body = pattern(300000);
    const std::string small = pattern(50000);
    const Script dropsWithoutRanges = [&](const Request& r) {
        const std::string whole = rawAnswer(r, 200, body);
        return r.method == "HEAD" ? whole : whole.substr(0, whole.size() - 200000);
    };
    const Script closesBeforeTheBody = [](const Request&) {
        return rawHead(200, {"Content-Length: 1000"});
    };
    const Script shrank = [&](const Request& r) {
        if (r.method == "HEAD")
            return rawAnswer(r, 200, body); // measured before the file shrank
        if (rangeStart(r) >= 0)
            return rawHead(416, {"Content-Range: bytes */50000", "Content-Length: 0"});
        return rawAnswer(r, 200, small);
    };
    struct Case {
        const char* name;
        Script script;
        bool reconnect;
        std::size_t partial; // bytes of a local partial file
        int gets;
        std::string result; // the file's content afterwards
        std::string lastStatus;
    };
    const std::string maximum = " -> Experimente novamente mais tarde!";
    const std::vector<Case> cases = {
        {"drops without ranges", dropsWithoutRanges, false, 0, 4, body.substr(0, 100000),
         wininetStatusText(12030)},
        {"drops, reconnecting at most twice", dropsWithoutRanges, true, 0, 2,
         body.substr(0, 100000), maximum},
        {"closes before the body", closesBeforeTheBody, false, 0, 4, "", wininetStatusText(12030)},
        {"shrank after the size query", shrank, false, 70000, 2, small, kDone},
        {"shrank, reconnecting", shrank, true, 70000, 2, small, kDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawHttpServer server(c.script);
        TempDir dir;
        if (c.partial > 0)
            writeFile(dir / "f.zip", body.substr(0, c.partial));
        Download run(server.url("/f.zip"), dir / "f.zip");
        run.d.MAutoReconectar = c.reconnect;
        run.d.MVezesAutoReconectar = 2;
        run.d.MTempoAutoReconectar = 0;
        run.d.MBaixar();
        EXPECT_EQ(server.count("GET"), c.gets);
        EXPECT_TRUE(readFile(dir / "f.zip") == c.result) << readFile(dir / "f.zip").size();
        ASSERT_FALSE(run.statuses.empty());
        EXPECT_EQ(run.statuses.back(), c.lastStatus);
        EXPECT_EQ(run.d.MErro(), c.lastStatus == wininetStatusText(12030));
    }
}

TEST(MHttpGetResumeFaults, LongerAnswersAreTrustedOrRemovedNeverLeftToPassAsComplete)
{
    const std::string announced = pattern(10000);
    const std::string longer = pattern(15000, 5);
    const auto headThen = [&](std::function<std::string(const Request&)> get) -> Script {
        return [&, get](const Request& r) {
            return r.method == "HEAD" ? rawAnswer(r, 200, announced) : get(r);
        };
    };
    struct Case {
        const char* name;
        Script script;
        std::string partial;
        std::string result; // empty: no file may be left
    };
    const std::vector<Case> cases = {
        {"a longer Content-Length",
         headThen([&](const Request& r) { return rawAnswer(r, 200, longer); }), "", longer},
        {"gzip despite identity",
         [&](const Request& r) {
             return r.method == "HEAD"
                        ? rawAnswer(r, 200, longer)
                        : rawAnswer(r, 200, gzipped(longer), {"Content-Encoding: gzip"});
         },
         "", longer},
        {"longer chunks", headThen([&](const Request&) {
             return rawHead(200, {"Transfer-Encoding: chunked"}) + chunked(longer);
         }),
         "", longer},
        {"a grown file answers the resume", headThen([&](const Request& r) {
             if (rangeStart(r) < 0)
                 return rawAnswer(r, 200, longer);
             return rawAnswer(r, 206, longer.substr(5000),
                              {"Content-Range: bytes 5000-14999/15000"});
         }),
         announced.substr(0, 5000), longer},
        {"no length and longer",
         headThen([&](const Request&) { return rawHead(200, {}) + longer; }), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawHttpServer server(c.script);
        TempDir dir;
        if (!c.partial.empty())
            writeFile(dir / "f.zip", c.partial);
        for (int run = 0; run < 2; ++run) {
            Download d(server.url("/f.zip"), dir / "f.zip");
            d.d.MBaixar();
            if (c.result.empty()) {
                EXPECT_TRUE(d.d.MErro());
                EXPECT_EQ(d.statuses.back(), wininetStatusText(12152));
                EXPECT_FALSE(hx::test::exists(dir / "f.zip")) << "left to pass as complete";
            } else {
                EXPECT_TRUE(d.said(kDone) || d.said(kAlready)) << run;
                EXPECT_TRUE(readFile(dir / "f.zip") == c.result) << run;
                EXPECT_EQ(d.d.MTamanhoArquivo(), static_cast<std::int64_t>(c.result.size()));
            }
        }
    }
}

TEST(MHttpGetResumeFaults, ServersThatTellNoSizeOrAnswerHeadBadlyAreDownloaded)
{
    const std::string body = pattern(40000);
    const Script chunkedOnly = [&](const Request& r) {
        const std::string head = rawHead(200, {"Transfer-Encoding: chunked"});
        return r.method == "HEAD" ? head : head + chunked(body);
    };
    const Script noHeadLength = [&](const Request& r) {
        return r.method == "HEAD" ? rawHead(200, {}) : rangedFile(body)(r);
    };
    struct Case {
        const char* name;
        Script script;
        std::string content;
        std::string received; // the last figure shown
    };
    const std::vector<Case> cases = {
        {"HEAD refused with 405", rangedFile(body, 405), body, "39.06 KB (100.00%)"},
        {"HEAD refused with 501", rangedFile(body, 501), body, "39.06 KB (100.00%)"},
        {"HEAD without a length", noHeadLength, body, "39.06 KB (100.00%)"},
        {"chunks and no size anywhere", chunkedOnly, body, "39.06 KB"},
        {"an empty file", rangedFile(""), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawHttpServer server(c.script);
        TempDir dir;
        // A part of an earlier run: resumed when the size is known, else replaced.
        writeFile(dir / "f.zip", body.substr(0, 1000));
        Download d(server.url("/f.zip"), dir / "f.zip");
        d.d.MBaixar();
        EXPECT_FALSE(d.d.MErro());
        EXPECT_EQ(d.statuses.back(), kDone);
        EXPECT_TRUE(readFile(dir / "f.zip") == c.content);
        EXPECT_EQ(d.received, c.received);
        EXPECT_EQ(d.d.MTamanhoArquivo(), static_cast<std::int64_t>(c.content.size()));
        EXPECT_LE(server.count("GET"), 2) << "at most a probe and the download";
    }
}

TEST(MHttpGetResumeFaults, CharactersThatCannotStandInAUrlAreEscaped)
{
    const std::string body = pattern(3000);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/files/my livery.zip", "/files/my%20livery.zip"},
        {"/files/caf\xc3\xa9 2.zip", "/files/caf%C3%A9%202.zip"},
        {"/files/a%20b.zip?v=1 2", "/files/a%20b.zip?v=1%202"},
    };
    for (const auto& [path, sent] : cases) {
        SCOPED_TRACE(path);
        RawHttpServer server(rangedFile(body));
        TempDir dir;
        Download d(server.url(path), dir / "f.zip");
        d.d.MBaixar();
        EXPECT_EQ(d.statuses.back(), kDone);
        ASSERT_EQ(server.requests().size(), 2u);
        EXPECT_EQ(server.requests()[1].target, sent);
    }
}

TEST(MHttpGetResumeFaults, TheSideFileKeepsAResumeToTheVersionItBegan)
{
    const std::string v1 = pattern(10000, 1), v2 = pattern(10000, 2);
    struct Case {
        const char* name;
        Script script;
        bool sideFile;     // a side file of v1 lies beside a partial v1
        std::string range; // of the downloading GET
        std::string result;
        bool sideFileAfter;
    };
    const std::vector<Case> cases = {
        {"same version", rangedFile(v1, 200, "\"v1\""), true, "bytes=4000-", v1, false},
        {"changed, same size", rangedFile(v2, 200, "\"v2\""), true, "", v2, false},
        {"no side file", rangedFile(v1, 200, "\"v1\""), false, "bytes=4000-", v1, false},
        {"dropped part way", rangedFile(v1, 200, "\"v1\"", 500), true, "bytes=4000-",
         v1.substr(0, 6000), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawHttpServer server(c.script);
        TempDir dir;
        const std::string file = dir / "f.zip";
        writeFile(file, v1.substr(0, 4000));
        if (c.sideFile)
            writeFile(resumeFilePath(file),
                      "url=" + server.url("/f.zip") + "\nsize=10000\nvalidator=\"v1\"\n");
        Download d(server.url("/f.zip"), file);
        d.d.MBaixar();
        const auto requests = server.requests();
        EXPECT_EQ(requests[1].header("range"), c.range);
        EXPECT_TRUE(readFile(file) == c.result);
        ASSERT_EQ(hx::test::exists(resumeFilePath(file)), c.sideFileAfter);
        if (c.sideFileAfter) {
            EXPECT_EQ(readFile(resumeFilePath(file)),
                      "url=" + server.url("/f.zip") + "\nsize=10000\nvalidator=\"v1\"\n");
        }
    }
}

TEST(MHttpGetResumeFaults, AFullDiskSaysWhatFailedAndWhere)
{
    HX_SKIP_ON_WINDOWS("a full disk is stood in for by a link to /dev/full");
    RawHttpServer server(rangedFile(pattern(3 << 20)));
    TempDir dir;
    const std::string file = dir / "full.zip";
    std::filesystem::create_symlink("/dev/full", file);
    Download d(server.url("/f.zip"), file);
    d.d.MBaixar();
    EXPECT_TRUE(d.d.MErro());
    EXPECT_EQ(d.d.errorText(), "Not enough disk space to write " + file);
    EXPECT_EQ(d.statuses.back(), d.d.errorText());
}
