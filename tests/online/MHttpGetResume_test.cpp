// The resumable download against a scripted server on 127.0.0.1 (never port 80, so every
// download here also shows that the URL's own port is used).

#include "online/MHttpGetResume.h"
#include "online/NumberFormat.h"
#include "online/WinInetErrors.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace hx;
using hx::test::LoopbackServer;
using hx::test::readFile;
using hx::test::TempDir;
using hx::test::writeFile;

namespace {

const NumberSeparators kEnglish{",", "."};

std::string pattern(std::size_t size, unsigned seed = 7)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 31 + seed * 17 + i / 251) & 0xff);
    return s;
}

struct Seen {
    std::string method, range, ifRange, encoding;
};

// A server whose answers each test scripts per path; it records every request.
class ScriptedServer {
public:
    ScriptedServer()
    {
        // Recorded before the answer is sent (a logger runs after it, too late for a client
        // that has already finished).
        server_.server().set_pre_routing_handler(
            [this](const httplib::Request& req, httplib::Response&) {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back({req.method, req.get_header_value("Range"),
                                 req.get_header_value("If-Range"),
                                 req.get_header_value("Accept-Encoding")});
                return httplib::Server::HandlerResponse::Unhandled;
            });
    }
    httplib::Server& http() { return server_.server(); }
    void start() { server_.start(); }
    std::string url(const std::string& path) const { return server_.url(path); }
    std::vector<Seen> gets()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Seen> out;
        std::copy_if(seen_.begin(), seen_.end(), std::back_inserter(out),
                     [](const Seen& s) { return s.method == "GET"; });
        return out;
    }
    ~ScriptedServer()
    {
        release = true;
        server_.stop();
    }
    std::atomic<bool> release{false};

private:
    LoopbackServer server_;
    std::mutex mutex_;
    std::vector<Seen> seen_;
};

// A well-behaved file: ranges, HEAD and an ETag, as httplib serves them.
void serveFile(httplib::Server& http, const std::string& path, const std::string& body,
               const std::string& etag = "\"v1\"")
{
    http.Get(path, [body, etag](const httplib::Request&, httplib::Response& res) {
        res.set_header("ETag", etag);
        res.set_content(body, "application/zip");
    });
}

// Ignores the Range header: the whole file with 200.
void ignoreRange(const httplib::Request& req)
{
    const_cast<httplib::Request&>(req).ranges.clear();
}

// Everything the component reports, and the bound controls.
struct Recorder : TMProgressBar {
    std::vector<std::string> statuses;
    int concluded = 0;
    int progress = 0;
    std::int64_t maximum = -1;
    std::vector<std::int64_t> positions;
    std::string total, received, remaining, timeLeft, rate, elapsed;
    std::vector<std::string> reconnectNumbers;

    void setMaximum(std::int64_t m) override { maximum = m; }
    void setPosition(std::int64_t p) override { positions.push_back(p); }

    void bind(TMHttpGetResume& d)
    {
        d.setNumberSeparators(kEnglish);
        d.setPauseUnit(std::chrono::milliseconds(1)); // retries and countdowns without delay
        d.MProgressBar = this;
        d.MLblTotal = [this](const std::string& t) { total = t; };
        d.MLblRecebido = [this](const std::string& t) { received = t; };
        d.MLblRestante = [this](const std::string& t) { remaining = t; };
        d.MLblTempoRestante = [this](const std::string& t) { timeLeft = t; };
        d.MLblTaxaTransferencia = [this](const std::string& t) { rate = t; };
        d.MLblTempoDecorrido = [this](const std::string& t) { elapsed = t; };
        d.MLblNumAutoRecon = [this](const std::string& t) { reconnectNumbers.push_back(t); };
        d.MOnStatus = [this](TMHttpGetResume&, const std::string& s) { statuses.push_back(s); };
        d.MOnConcluido = [this](TMHttpGetResume&) { ++concluded; };
        d.MOnProgress = [this](TMHttpGetResume&) { ++progress; };
    }
    int count(const std::string& s) const
    {
        return static_cast<int>(std::count(statuses.begin(), statuses.end(), s));
    }
};

const std::string kDone = "Download concluído com sucesso!";
const std::string kAlready = "Download já efetuado e concluído com sucesso!";
const std::string kPaused = "Download pausado!";

} // namespace

TEST(NumberFormat, PicturesOfTheFigures)
{
    EXPECT_EQ(receivedLabelText(1536000, 3072000, kEnglish), "1,500.00 KB (50.00%)");
    EXPECT_EQ(remainingLabelText(1536000, 3072000, kEnglish), "1,500.00 KB (50.00%)");
    EXPECT_EQ(timeLeftLabelText(3725), "01:02:05 s");
    EXPECT_EQ(timeLeftLabelText(59.6), "00:00:59 s");
    EXPECT_EQ(timeLeftLabelText(360000), "100:00:00 s");
    EXPECT_EQ(kilobytesText(0, kEnglish), "0.00 KB");
    EXPECT_EQ(kilobytesText(5000LL * 1024 * 1024 * 1024, kEnglish), "5,242,880,000.00 KB");
    EXPECT_EQ(rateLabelText(1234.567, kEnglish), "1234.57 KB/s");
    EXPECT_EQ(formatNumber(0.125, "0.00", kEnglish), "0.13");
    EXPECT_EQ(formatNumber(999.996, "##0.00%", kEnglish), "1000.00%");
    EXPECT_EQ(formatNumber(1234567.891, "##,###,##0.00", kEnglish), "1,234,567.89");
    EXPECT_EQ(formatNumber(0.4, "##,###,##0.00", kEnglish), "0.40");
    EXPECT_EQ(formatNumber(5, "00", kEnglish), "05");
    EXPECT_EQ(formatNumber(1536000.0 / 1024, "###,###,##0.00 KB", {".", ","}), "1.500,00 KB");
    // Whatever the machine's locale, a grouping separator exists and differs from the point.
    EXPECT_FALSE(userNumberSeparators().grouping.empty());
    EXPECT_NE(userNumberSeparators().grouping, userNumberSeparators().decimal);
}

TEST(WinInetErrors, TableAndStatusTexts)
{
    EXPECT_EQ(wininetErrorCount(), 59);
    EXPECT_EQ(wininetStatusText(12029), "<<< 12029 - ERROR_INTERNET_CANNOT_CONNECT - The attempt "
                                        "to connect to the server failed. >>>");
    EXPECT_EQ(wininetStatusText(12156).rfind("<<< 12156 - ERROR_HTTP_REDIRECT_FAILED - ", 0), 0u);
    EXPECT_EQ(wininetStatusText(12100), "<<< 12100 - ERRO NÃO PREVISTO - Por favor, verifique o "
                                        "código do erro. >>>");
    EXPECT_EQ(wininetStatusText(12000), "");
    EXPECT_EQ(wininetStatusText(12172), "");
    EXPECT_STREQ(wininetErrorText(12152),
                 "ERROR_HTTP_INVALID_SERVER_RESPONSE - The server response could not be parsed.");
    EXPECT_EQ(wininetErrorText(12034), nullptr);
}

TEST(MHttpGetResume, DefaultsOfANewComponent)
{
    TMHttpGetResume d;
    EXPECT_EQ(d.MPorta, 80);
    EXPECT_EQ(d.MPortaProxy, 3128);
    EXPECT_FALSE(d.MBaixando);
    EXPECT_FALSE(d.MAutoReconectar);
    EXPECT_EQ(d.MTempoAutoReconectar, 15);
    EXPECT_EQ(d.MVezesAutoReconectar, 5);
    EXPECT_FALSE(d.MErro());
    EXPECT_EQ(d.MTamanhoArquivo(), 0);
}

TEST(MHttpGetResume, FullDownloadThenAlreadyComplete)
{
    ScriptedServer server;
    const std::string body = pattern(3072000);
    serveFile(server.http(), "/liv.zip", body);
    server.start();
    TempDir dir;
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.setReportInterval(std::chrono::milliseconds(0));
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "liv.zip";

    d.MBaixar();
    EXPECT_EQ(rec.statuses, (std::vector<std::string>{"Verificando tamanho do download...",
                                                      "Enviando requisição ao servidor...",
                                                      "Iniciando download...", kDone}));
    EXPECT_TRUE(readFile(dir / "liv.zip") == body);
    EXPECT_FALSE(d.MErro());
    EXPECT_FALSE(d.MBaixando);
    EXPECT_EQ(rec.concluded, 1);
    EXPECT_GT(rec.progress, 0);
    EXPECT_EQ(d.MTamanhoArquivo(), 3072000);
    EXPECT_EQ(d.MBytesRecebidos(), 3072000);
    EXPECT_EQ(d.MTotalRecebido(), 3072000);
    EXPECT_EQ(rec.total, "3,000.00 KB");
    EXPECT_EQ(rec.received, "3,000.00 KB (100.00%)");
    EXPECT_EQ(rec.remaining, "0.00 KB (0.00%)");
    EXPECT_EQ(rec.timeLeft, "00:00:00 s");
    EXPECT_EQ(rec.maximum, 3072000);
    EXPECT_EQ(rec.positions.front(), 0);
    EXPECT_EQ(rec.positions.back(), 3072000);
    ASSERT_EQ(server.gets().size(), 1u);
    EXPECT_EQ(server.gets()[0].range, "");
    EXPECT_EQ(server.gets()[0].encoding, "identity");

    rec.statuses.clear();
    d.MBaixar();
    EXPECT_EQ(rec.statuses,
              (std::vector<std::string>{"Verificando tamanho do download...", kAlready}));
    EXPECT_EQ(rec.concluded, 2);
    EXPECT_EQ(server.gets().size(), 1u) << "no GET for a complete file";
}

TEST(MHttpGetResume, ResumesAPartialFileWithRangeAndIfRange)
{
    ScriptedServer server;
    const std::string body = pattern(5000);
    serveFile(server.http(), "/liv.zip", body);
    server.start();
    TempDir dir;
    writeFile(dir / "liv.zip", body.substr(0, 1000));
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "liv.zip";

    d.MBaixar();
    EXPECT_EQ(rec.statuses,
              (std::vector<std::string>{"Verificando tamanho do download...",
                                        "Download a ser resumido, definindo escopo...",
                                        "Enviando requisição ao servidor...",
                                        "Resumindo download...", kDone}));
    EXPECT_TRUE(readFile(dir / "liv.zip") == body);
    ASSERT_EQ(server.gets().size(), 1u);
    EXPECT_EQ(server.gets()[0].range, "bytes=1000-");
    EXPECT_EQ(server.gets()[0].ifRange, "\"v1\"");
    EXPECT_EQ(rec.positions.front(), 1000);
    EXPECT_EQ(d.MBytesRecebidos(), 4000);
    EXPECT_EQ(d.MTotalRecebido(), 5000);
}

TEST(MHttpGetResume, ServerDroppingTheConnectionIsResumedFromTheBytesWritten)
{
    ScriptedServer server;
    const std::string body = pattern(200000);
    std::atomic<int> requests{0};
    server.http().Get("/liv.zip", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET" && requests++ == 0) {
            // Announces everything, sends 70000 bytes, closes.
            res.set_content_provider(body.size(), "application/zip",
                                     [&](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset == 0)
                                             sink.write(body.data(), 70000);
                                         return offset == 0;
                                     });
            return;
        }
        res.set_content(body, "application/zip");
    });
    server.start();
    TempDir dir;
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "liv.zip";
    d.setPauseUnit(std::chrono::milliseconds(1));
    d.MBaixar();

    EXPECT_EQ(rec.count("Download reiniciado automaticamente (1)!"), 1);
    EXPECT_EQ(rec.count(kDone), 1);
    EXPECT_TRUE(readFile(dir / "liv.zip") == body);
    const auto gets = server.gets();
    ASSERT_EQ(gets.size(), 2u);
    EXPECT_EQ(gets[1].range, "bytes=70000-");
    EXPECT_EQ(d.MBytesRecebidos(), 200000);
}

TEST(MHttpGetResume, WholeAnswersAndBadRangesStartTheFileOver)
{
    ScriptedServer server;
    const std::string body = pattern(50000);
    // 200 with the whole file to a range request.
    server.http().Get("/whole.zip", [&](const httplib::Request& req, httplib::Response& res) {
        ignoreRange(req);
        res.set_content(body, "application/zip");
    });
    // 416 to every range request.
    server.http().Get("/416.zip", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.has_header("Range")) {
            ignoreRange(req);
            res.status = 416;
            return;
        }
        res.set_content(body, "application/zip");
    });
    // A 206 that does not start where it was asked to.
    server.http().Get("/shifted.zip", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.has_header("Range")) {
            ignoreRange(req);
            res.status = 206;
            res.set_header("Content-Range", "bytes 0-49999/50000");
        }
        res.set_content(body, "application/zip");
    });
    serveFile(server.http(), "/plain.zip", body);
    server.start();
    TempDir dir;

    for (const std::string name : {"whole.zip", "416.zip", "shifted.zip", "plain.zip"}) {
        SCOPED_TRACE(name);
        // A partial file whose bytes are not the file's: kept as is, it would corrupt the
        // result; and for plain.zip a local file larger than the remote one.
        writeFile(dir / name, std::string(name == "plain.zip" ? 60000 : 20000, 'X'));
        TMHttpGetResume d;
        Recorder rec;
        rec.bind(d);
        d.MURL = server.url("/" + name);
        d.MArquivoLocal = dir / name;
        d.MBaixar();
        EXPECT_EQ(rec.count(kDone), 1);
        EXPECT_FALSE(d.MErro());
        EXPECT_TRUE(readFile(dir / name) == body) << "the file was spliced";
    }
}

TEST(MHttpGetResume, ChangedFileComesBackWholeThroughIfRange)
{
    ScriptedServer server;
    const std::string v1 = pattern(80000, 1), v2 = pattern(90000, 2);
    std::atomic<int> gets{0};
    server.http().Get("/liv.zip", [&](const httplib::Request& req, httplib::Response& res) {
        const bool first = req.method == "GET" && gets++ == 0;
        if (req.method == "HEAD" || first) {
            res.set_header("ETag", "\"v1\"");
            if (first) { // v1, cut after 30000 bytes
                res.set_content_provider(v1.size(), "application/zip",
                                         [&](size_t offset, size_t, httplib::DataSink& sink) {
                                             if (offset == 0)
                                                 sink.write(v1.data(), 30000);
                                             return offset == 0;
                                         });
            } else {
                res.set_content(v1, "application/zip");
            }
            return;
        }
        // The file has been replaced by v2 meanwhile.
        res.set_header("ETag", "\"v2\"");
        if (req.get_header_value("If-Range") != "\"v2\"")
            ignoreRange(req);
        res.set_content(v2, "application/zip");
    });
    server.start();
    TempDir dir;
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "liv.zip";
    d.MBaixar();

    EXPECT_EQ(rec.count(kDone), 1);
    EXPECT_TRUE(readFile(dir / "liv.zip") == v2) << "v1 and v2 were spliced";
    EXPECT_EQ(d.MTamanhoArquivo(), 90000);
    EXPECT_EQ(server.gets().at(1).ifRange, "\"v1\"");
}

TEST(MHttpGetResume, WeakEtagIsNotSentInIfRangeSoTheResumeIsKept)
{
    ScriptedServer server;
    const std::string body = pattern(5000);
    const std::string date = "Tue, 01 Jan 2030 00:00:00 GMT";
    server.http().Get("/liv.zip", [&](const httplib::Request& req, httplib::Response& res) {
        res.set_header("ETag", "W/\"v1\"");
        res.set_header("Last-Modified", date);
        // As a careful server does: a weak tag never satisfies If-Range.
        if (req.has_header("If-Range") && req.get_header_value("If-Range") != date)
            ignoreRange(req);
        res.set_content(body, "application/zip");
    });
    server.start();
    TempDir dir;
    writeFile(dir / "liv.zip", body.substr(0, 1000));
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "liv.zip";
    d.MBaixar();

    EXPECT_EQ(rec.count(kDone), 1);
    EXPECT_TRUE(readFile(dir / "liv.zip") == body);
    ASSERT_EQ(server.gets().size(), 1u);
    EXPECT_EQ(server.gets()[0].ifRange, date);
    EXPECT_EQ(d.MBytesRecebidos(), 4000) << "the resume was thrown away";
}

TEST(MHttpGetResume, FailuresSetMErroAndReportNoSuccess)
{
    ScriptedServer server;
    server.start();
    TempDir dir;

    struct Case {
        std::string path, text;
        bool fileMade;
    };
    // A server without a length and one that sends more than announced are downloaded now
    // (ServersThatTellNoSizeOrAnswerHeadBadly, LongerAnswersAreTrustedOrRemoved).
    const std::vector<Case> cases = {
        {"/missing.zip", "<<< HTTP 404 - The server refused the request with this status. >>>",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TMHttpGetResume d;
        Recorder rec;
        rec.bind(d);
        d.MURL = server.url(c.path);
        d.MArquivoLocal = dir / ("out" + std::to_string(c.fileMade) + c.path.substr(1));
        d.MBaixar();
        EXPECT_TRUE(d.MErro());
        EXPECT_FALSE(d.MBaixando);
        EXPECT_EQ(rec.count(c.text), 1);
        EXPECT_EQ(rec.count(kDone), 0);
        EXPECT_EQ(rec.concluded, 1) << "completion still runs after a failure";
        EXPECT_EQ(hx::test::exists(d.MArquivoLocal), c.fileMade);
        EXPECT_EQ(d.errorText(), c.text) << "kept for the owner to show";
    }
}

TEST(MHttpGetResume, ClearingMBaixandoFromThePumpPausesAStalledTransfer)
{
    ScriptedServer server;
    const std::string body = pattern(100000);
    server.http().Get("/liv.zip", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "HEAD") {
            res.set_content(body, "application/zip");
            return;
        }
        res.set_content_provider(body.size(), "application/zip",
                                 [&](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0)
                                         sink.write(body.data(), 40000);
                                     while (!server.release)
                                         std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                     return false;
                                 });
    });
    server.start();
    TempDir dir;
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "liv.zip";
    int pumpsAfterData = 0;
    d.MProcessMessages = [&] {
        if (d.MBaixando)
            d.MBaixar(); // a second start from a handler returns at once
        if (d.MTotalRecebido() == 40000 && ++pumpsAfterData == 3)
            d.MBaixando = false;
    };
    d.MBaixar();

    EXPECT_EQ(rec.count(kPaused), 1);
    EXPECT_EQ(rec.count(kDone), 0);
    EXPECT_EQ(rec.concluded, 0);
    EXPECT_FALSE(d.MErro());
    EXPECT_EQ(rec.count("Verificando tamanho do download..."), 1);
    EXPECT_TRUE(readFile(dir / "liv.zip") == body.substr(0, 40000));
    EXPECT_EQ(rec.received, "39.06 KB (40.00%)") << "the last figures went out";
}

TEST(MHttpGetResume, ReconnectionCountsAndTheirLimit)
{
    TempDir dir;
    const std::string url =
        "http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/liv.zip";
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = url;
    d.MArquivoLocal = dir / "liv.zip";
    d.MAutoReconectar = true;
    d.MTempoAutoReconectar = 0; // a countdown of one second
    d.MVezesAutoReconectar = 2;
    d.MBaixar();

    const std::string cannotConnect = wininetStatusText(12029);
    EXPECT_EQ(rec.count(cannotConnect), 2);
    EXPECT_EQ(rec.count("Aguarde, reconectando em 0 segundos..."), 2);
    EXPECT_EQ(rec.reconnectNumbers, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(rec.count(" -> Número máximo de reconexões automáticas já feitos (2)!"), 1);
    EXPECT_EQ(rec.statuses.back(), " -> Experimente novamente mais tarde!");
    EXPECT_FALSE(d.MErro());
    EXPECT_FALSE(d.MBaixando);
    EXPECT_EQ(rec.concluded, 0);

    // The limit reached resets the count: the next start tries again. Without automatic
    // reconnection a failure ends the start with MErro set and the completion event.
    rec.statuses.clear();
    d.MAutoReconectar = false;
    d.MBaixar();
    EXPECT_EQ(rec.count(cannotConnect), 1);
    EXPECT_TRUE(d.MErro());
    EXPECT_EQ(rec.concluded, 1);
}

TEST(MHttpGetResume, UnlimitedReconnectionsRunInALoop)
{
    TempDir dir;
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = "127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/liv.zip";
    d.MArquivoLocal = dir / "liv.zip";
    d.MVezesAutoReconectar = 0;
    int waits = 0;
    // Clearing MAutoReconectar cuts each countdown short; each start sets it again. After 300
    // reconnections the owner pauses during the countdown.
    d.MOnStatus = [&](TMHttpGetResume& sender, const std::string& s) {
        rec.statuses.push_back(s);
        if (s == "Verificando tamanho do download...")
            sender.MAutoReconectar = true;
        if (s.rfind("Aguarde, reconectando", 0) == 0) {
            if (++waits < 300)
                sender.MAutoReconectar = false;
            else
                sender.MBaixando = false;
        }
    };
    d.MBaixar();
    EXPECT_EQ(waits, 300);
    EXPECT_EQ(rec.count(wininetStatusText(12029)), 300);
    EXPECT_EQ(rec.statuses.back(), kPaused);
    EXPECT_EQ(d.MURL.rfind("http://127.0.0.1:", 0), 0u) << "the scheme is put in front";
}

TEST(MHttpGetResume, UrlSchemesAndUnusableUrls)
{
    EXPECT_EQ(normaliseDownloadUrl("host/a.zip"), "http://host/a.zip");
    EXPECT_EQ(normaliseDownloadUrl("HTTP://host/a.zip"), "HTTP://host/a.zip");
    EXPECT_EQ(normaliseDownloadUrl("https://host/a.zip"), "https://host/a.zip");
    EXPECT_EQ(normaliseDownloadUrl("host:8080/a.zip"), "http://host:8080/a.zip");

    TempDir dir;
    for (const auto& [url, code] : std::vector<std::pair<std::string, int>>{
             {"ftp://127.0.0.1/a.zip", 12006}, {"http://", 12005}}) {
        TMHttpGetResume d;
        Recorder rec;
        rec.bind(d);
        d.MURL = url;
        d.MArquivoLocal = dir / "a.zip";
        d.MBaixar();
        EXPECT_TRUE(d.MErro()) << url;
        EXPECT_EQ(rec.count(wininetStatusText(code)), 1) << url;
        EXPECT_EQ(rec.count("Verificando tamanho do download..."), 0) << url;
    }
}

TEST(MHttpGetResume, UnwritableLocalFileIsAFailure)
{
    ScriptedServer server;
    serveFile(server.http(), "/liv.zip", pattern(1000));
    server.start();
    TempDir dir;
    TMHttpGetResume d;
    Recorder rec;
    rec.bind(d);
    d.MURL = server.url("/liv.zip");
    d.MArquivoLocal = dir / "no-such-folder/liv.zip";
    d.MBaixar();
    EXPECT_TRUE(d.MErro());
    EXPECT_EQ(rec.count("File not found"), 1);
    EXPECT_EQ(rec.count(kDone), 0);
    EXPECT_EQ(rec.concluded, 1);
}
