// The resumable download and `hangarix-cli fetch` against a real nginx on a loopback port.

#include "online/MHttpGetResume.h"
#include "support/Nginx.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace hx;
using namespace hx::test;

namespace {

const std::string kDone = "Download concluído com sucesso!";

class NginxDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Nginx::available())
            GTEST_SKIP() << "nginx is not installed (scripts/install-deps.sh installs it)";
        body_.resize(3 * 1024 * 1024 + 123);
        for (std::size_t i = 0; i < body_.size(); ++i)
            body_[i] = static_cast<char>((i * 7 + i / 4099) & 0xff);
        writeFile(root_ / "liv.zip", body_);
        nginx_ = std::make_unique<Nginx>(root_.path());
    }

    void bind(TMHttpGetResume& d, const std::string& file)
    {
        d.MURL = nginx_->url("/liv.zip");
        d.MArquivoLocal = work_ / file;
        d.MOnStatus = [this](TMHttpGetResume&, const std::string& s) { statuses_.push_back(s); };
    }
    // The access log's lines for GET requests.
    std::vector<std::string> gets() const
    {
        std::vector<std::string> out;
        std::istringstream in(nginx_->accessLog());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("GET ", 0) == 0)
                out.push_back(line);
        return out;
    }

    TempDir root_, work_;
    std::string body_;
    std::unique_ptr<Nginx> nginx_;
    std::vector<std::string> statuses_;
};

} // namespace

TEST_F(NginxDownload, FullDownloadThenAlreadyComplete)
{
    TMHttpGetResume d;
    bind(d, "liv.zip");
    d.MBaixar();
    EXPECT_EQ(statuses_.back(), kDone);
    EXPECT_TRUE(readFile(work_ / "liv.zip") == body_);
    ASSERT_EQ(gets().size(), 1u);
    EXPECT_EQ(gets()[0], "GET /liv.zip 200 \"-\" \"-\" " + std::to_string(body_.size()));

    d.MBaixar();
    EXPECT_EQ(statuses_.back(), "Download já efetuado e concluído com sucesso!");
    EXPECT_EQ(gets().size(), 1u) << "no GET for a complete file";
}

TEST_F(NginxDownload, ResumeAsksForTheRestWithTheValidator)
{
    writeFile(work_ / "liv.zip", body_.substr(0, 1000000));
    TMHttpGetResume d;
    bind(d, "liv.zip");
    d.MBaixar();
    EXPECT_EQ(statuses_.back(), kDone);
    EXPECT_TRUE(readFile(work_ / "liv.zip") == body_);
    ASSERT_EQ(gets().size(), 1u);
    const std::string line = gets()[0];
    EXPECT_EQ(line.rfind("GET /liv.zip 206 \"bytes=1000000-\" \"\\x22", 0), 0u) << line;
    EXPECT_NE(line.find(" " + std::to_string(body_.size() - 1000000)), std::string::npos) << line;
    EXPECT_EQ(d.MBytesRecebidos(), static_cast<std::int64_t>(body_.size()) - 1000000);
}

TEST_F(NginxDownload, PauseKeepsThePartAndTheNextStartFinishes)
{
    TMHttpGetResume d;
    bind(d, "liv.zip");
    d.setReportInterval(std::chrono::milliseconds(0));
    d.MOnProgress = [](TMHttpGetResume& sender) { sender.MBaixando = false; };
    d.MBaixar();
    EXPECT_EQ(statuses_.back(), "Download pausado!");
    const std::string part = readFile(work_ / "liv.zip");
    ASSERT_GT(part.size(), 0u);
    ASSERT_LT(part.size(), body_.size());
    EXPECT_TRUE(part == body_.substr(0, part.size()));

    d.MOnProgress = {};
    d.MBaixar();
    EXPECT_EQ(statuses_.back(), kDone);
    EXPECT_TRUE(readFile(work_ / "liv.zip") == body_);
    ASSERT_EQ(gets().size(), 2u);
    EXPECT_NE(gets()[1].find("\"bytes=" + std::to_string(part.size()) + "-\""), std::string::npos)
        << gets()[1];
}

TEST_F(NginxDownload, CliFetchEndToEnd)
{
    writeFile(work_ / "liv.zip", body_.substr(0, 12345));
    const ProcessResult ok = runCli("-C " + shellQuote(work_.path()) + " fetch " +
                                    shellQuote(nginx_->url("/liv.zip")) + " liv.zip");
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "Verificando tamanho do download...\n"
                      "Download a ser resumido, definindo escopo...\n"
                      "Enviando requisição ao servidor...\n"
                      "Resumindo download...\n"
                      "Download concluído com sucesso!\n");
    EXPECT_EQ(ok.err, "") << "no figures when stderr is not a terminal";
    EXPECT_TRUE(readFile(work_ / "liv.zip") == body_);

    const ProcessResult missing = runCli("-C " + shellQuote(work_.path()) + " fetch " +
                                         shellQuote(nginx_->url("/none.zip")) + " none.zip");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("<<< HTTP 404"), std::string::npos) << missing.out;
}
