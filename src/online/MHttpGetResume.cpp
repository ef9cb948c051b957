#include "online/MHttpGetResume.h"

#include "online/WinInetErrors.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace hx {

namespace {

using Clock = std::chrono::steady_clock;

// Largest piece read from the connection at once: big enough for full speed on a fast link,
// small enough that a pause takes effect within a fraction of a second on a slow one.
constexpr std::size_t kReadSize = 512 * 1024;
// Writes reach the disk in pieces of this size.
constexpr std::size_t kWriteBufferSize = 1024 * 1024;
constexpr auto kPumpInterval = std::chrono::milliseconds(50);

// The local file, opened for writing at the resume position. Offset 0 creates or empties it.
class DownloadFile {
public:
    DownloadFile(const std::string& path, std::int64_t offset) : buffer_(kWriteBufferSize)
    {
        file_ = std::fopen(path.c_str(), offset > 0 ? "r+b" : "wb");
        if (!file_)
            throw ioErrorFromErrno(errno);
        std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
        if (offset > 0 && seek(offset) != 0) {
            const int err = errno;
            std::fclose(file_);
            file_ = nullptr;
            throw ioErrorFromErrno(err);
        }
    }
    ~DownloadFile()
    {
        if (file_)
            std::fclose(file_);
    }
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    void write(const char* data, std::size_t size)
    {
        if (std::fwrite(data, 1, size, file_) != size)
            throw ioErrorFromErrno(errno ? errno : EIO);
    }

    void close()
    {
        std::FILE* f = file_;
        file_ = nullptr;
        if (std::fclose(f) != 0)
            throw ioErrorFromErrno(errno ? errno : EIO);
    }

private:
    int seek(std::int64_t offset)
    {
#ifdef _WIN32
        return _fseeki64(file_, offset, SEEK_SET);
#else
        return fseeko(file_, static_cast<off_t>(offset), SEEK_SET);
#endif
    }

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
};

// True when a Content-Range header ("bytes S-E/T") starts at `offset` and names `total`.
bool contentRangeMatches(const std::string& header, std::int64_t offset, std::int64_t total)
{
    long long start = -1, end = -1, whole = -1;
    if (std::sscanf(header.c_str(), "bytes %lld-%lld/%lld", &start, &end, &whole) != 3)
        return false;
    return start == offset && whole == total && end >= start && end < total;
}

std::string httpStatusText(int status)
{
    return "<<< HTTP " + std::to_string(status) +
           " - The server refused the request with this status. >>>";
}

} // namespace

std::string kilobytesText(std::int64_t bytes, const NumberSeparators& seps)
{
    return formatNumber(static_cast<double>(bytes) / 1024, "###,###,##0.00 KB", seps);
}

std::string receivedLabelText(std::int64_t offset, std::int64_t size, const NumberSeparators& seps)
{
    const double percent =
        size > 0 ? static_cast<double>(offset) / static_cast<double>(size) * 100 : 0;
    return kilobytesText(offset, seps) + " (" + formatNumber(percent, "##0.00%", seps) + ")";
}

std::string remainingLabelText(std::int64_t offset, std::int64_t size, const NumberSeparators& seps)
{
    const double rest = static_cast<double>(size - offset);
    const double percent = size > 0 ? rest / static_cast<double>(size) * 100 : 0;
    return formatNumber(rest / 1024, "##,###,##0.00", seps) + " KB (" +
           formatNumber(percent, "##,###,##0.00", seps) + "%)";
}

std::string timeLeftLabelText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const auto whole = static_cast<long long>(seconds);
    const NumberSeparators plain;
    return formatNumber(static_cast<double>(whole / 3600), "00", plain) + ":" +
           formatNumber(static_cast<double>(whole / 60 % 60), "00", plain) + ":" +
           formatNumber(static_cast<double>(whole % 60), "00", plain) + " s";
}

std::string rateLabelText(double kilobytesPerSecond, const NumberSeparators& seps)
{
    return formatNumber(kilobytesPerSecond, "0.00 KB/s", seps);
}

std::string normaliseDownloadUrl(const std::string& url)
{
    std::string head = url.substr(0, 7);
    for (char& c : head)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (head == "http://")
        return url;
    // A URL with a scheme of its own ("https://", "ftp://") keeps it: putting "http://" in
    // front would only make it unusable.
    const auto sep = url.find("://");
    if (sep != std::string::npos && sep > 0 && std::isalpha(static_cast<unsigned char>(url[0]))) {
        bool scheme = true;
        for (std::size_t i = 0; i < sep; ++i) {
            const auto c = static_cast<unsigned char>(url[i]);
            scheme = scheme && (std::isalnum(c) || c == '+' || c == '-' || c == '.');
        }
        if (scheme)
            return url;
    }
    return "http://" + url;
}

TMHttpGetResume::TMHttpGetResume() : separators_(userNumberSeparators())
{
}

void TMHttpGetResume::MBaixar()
{
    if (MBaixando)
        return;
    // A reconnection starts anew in this loop, so no limit of reconnections deepens the stack.
    while (start() == StartEnd::Again) {
    }
    MBaixando = false;
}

TMHttpGetResume::StartEnd TMHttpGetResume::start()
{
    MBaixando = true;
    attempts_ = 0;
    erro_ = false;
    if (MVezesAutoReconectar != 0 && MVezesAutoReconectar < reconnectNumber_) {
        erro_ = false;
        MBaixando = false;
        reconnectNumber_ = 1;
        status(" -> Número máximo de reconexões automáticas já feitos (" +
               std::to_string(MVezesAutoReconectar) + ")!");
        status(" -> Experimente novamente mais tarde!");
        return StartEnd::Finished;
    }
    try {
        tamanhoArquivo_ = sizeQuery();
        if (MLblTotal)
            MLblTotal(kilobytesText(tamanhoArquivo_, separators_));
        if (tamanhoArquivo_ > 0 || erro_) {
            const std::string path = platform::resolvePath(MArquivoLocal);
            localSize_ = platform::fileExists(path)
                             ? static_cast<std::int64_t>(platform::fileSize(path))
                             : 0;
            if (tamanhoArquivo_ != localSize_ || erro_) {
                // A local file larger than the remote one is not a part of it: start over.
                std::int64_t offset = localSize_ > tamanhoArquivo_ ? 0 : localSize_;
                if (MProgressBar) {
                    MProgressBar->setMaximum(tamanhoArquivo_);
                    MProgressBar->setPosition(offset);
                }
                tempoInicial_ = std::chrono::system_clock::now();
                startedAt_ = Clock::now();
                totalRecebido_ = offset;
                const TransferEnd end = transfer(offset);
                localSize_ = offset;
                if (end == TransferEnd::Reconnect)
                    return reconnectCountdown() ? StartEnd::Again : StartEnd::Finished;
                if (MBaixando)
                    completion();
            } else {
                totalRecebido_ = localSize_;
                MBaixando = false;
                completion();
            }
        }
    } catch (const std::exception& e) {
        status(e.what());
    }
    MBaixando = false;
    return StartEnd::Finished;
}

void TMHttpGetResume::normaliseUrl()
{
    MURL = normaliseDownloadUrl(MURL);
}

std::int64_t TMHttpGetResume::sizeQuery()
{
    normaliseUrl();
    errorCheck(platform::httpUrlErrorCode(MURL));
    if (erro_)
        return 0;
    status("Verificando tamanho do download...");
    try {
        const platform::HttpFileInfo info = platform::httpQueryFileInfo(MURL, [this] {
            if (Clock::now() - lastPump_ >= kPumpInterval)
                pump();
        });
        etag_ = info.etag;
        lastModified_ = info.lastModified;
        return info.contentLength;
    } catch (const platform::HttpError& e) {
        if (e.wininetCode() != 0) {
            errorCheck(e.wininetCode());
        } else {
            erro_ = true;
            status(httpStatusText(e.status()));
        }
        return 0;
    }
}

TMHttpGetResume::TransferEnd TMHttpGetResume::transfer(std::int64_t& offset)
{
    normaliseUrl();
    bytesRecebidos_ = 0;
    const TransferEnd failed = MAutoReconectar ? TransferEnd::Reconnect : TransferEnd::Failed;
    for (;;) {
        ++attempts_;
        if (attempts_ > 1)
            status("Download reiniciado automaticamente (" + std::to_string(attempts_ - 1) + ")!");
        if (!erro_)
            errorCheck(platform::httpUrlErrorCode(MURL));
        if (erro_)
            return failed;
        if (offset > 0)
            status("Download a ser resumido, definindo escopo...");
        status("Enviando requisição ao servidor...");

        platform::HttpRangeRequest request;
        request.url = MURL;
        request.offset = offset;
        // A weak ETag never matches in If-Range, so every resume would come back whole: the
        // date stands in for it then.
        const bool strongEtag = !etag_.empty() && etag_.rfind("W/", 0) != 0;
        request.ifRange = strongEtag ? etag_ : lastModified_;
        request.bufferSize = kReadSize;

        std::optional<DownloadFile> file;
        bool restartFromZero = false;
        bool overflow = false;
        int refusedStatus = 0; // an HTTP status that ends the attempt as a failure
        int badAnswer = 0;     // WinINet code for an answer that cannot be used
        std::int64_t brought = 0;
        std::int64_t reported = -1;
        auto lastReport = Clock::now();

        platform::HttpRangeCallbacks callbacks;
        callbacks.onHead = [&](const platform::HttpResponseHead& head) {
            if (head.status == 416 && offset > 0) {
                restartFromZero = true; // the server has less than we hold
                return false;
            }
            if (head.status < 200 || head.status >= 300) {
                refusedStatus = head.status;
                return false;
            }
            if (head.status == 206) {
                if (!contentRangeMatches(head.contentRange, offset, tamanhoArquivo_)) {
                    // Not the rest of the file we measured: take it whole instead.
                    if (offset > 0)
                        restartFromZero = true;
                    else
                        badAnswer = 12152;
                    return false;
                }
            } else {
                // The whole file (a server without ranges, or If-Range found it changed):
                // it replaces whatever the local file holds.
                if (head.contentLength < 0) {
                    badAnswer = 12150;
                    return false;
                }
                // Only an answer to a resume names a new version; otherwise the size query's
                // figure stands and caps what is taken.
                if (offset > 0 && head.contentLength != tamanhoArquivo_) {
                    tamanhoArquivo_ = head.contentLength;
                    if (MLblTotal)
                        MLblTotal(kilobytesText(tamanhoArquivo_, separators_));
                    if (MProgressBar)
                        MProgressBar->setMaximum(tamanhoArquivo_);
                }
                offset = 0;
                totalRecebido_ = 0;
            }
            file.emplace(platform::resolvePath(MArquivoLocal), offset);
            status(offset <= 0 ? "Iniciando download..." : "Resumindo download...");
            return MBaixando.load();
        };
        callbacks.onChunk = [&](const char* data, std::size_t size) {
            std::size_t take = size;
            const std::int64_t left = tamanhoArquivo_ - offset;
            if (static_cast<std::int64_t>(size) > left) {
                take = static_cast<std::size_t>(left);
                overflow = true;
            }
            file->write(data, take);
            const auto n = static_cast<std::int64_t>(take);
            offset += n;
            brought += n;
            bytesRecebidos_ += n;
            totalRecebido_ = offset;
            const auto now = Clock::now();
            if (now - lastReport >= reportInterval_) {
                lastReport = now;
                reported = offset;
                progressReport(offset);
            }
            return !overflow && MBaixando;
        };
        callbacks.onWait = [&] {
            if (Clock::now() - lastPump_ >= kPumpInterval)
                pump();
            return MBaixando.load();
        };

        int transportCode = 0;
        try {
            try {
                platform::httpGetRange(request, callbacks);
            } catch (const platform::HttpError& e) {
                transportCode = e.wininetCode() != 0 ? e.wininetCode() : 12152;
            }
            if (file)
                file->close();
        } catch (const std::exception& e) {
            status(e.what());
            erro_ = true;
            return TransferEnd::Failed;
        }
        // The last figures always go out.
        if (brought > 0 && reported != offset)
            progressReport(offset);

        if (transportCode != 0) {
            errorCheck(transportCode);
            return failed;
        }
        if (refusedStatus != 0) {
            erro_ = true;
            status(httpStatusText(refusedStatus));
            return failed;
        }
        if (badAnswer != 0 || overflow) {
            errorCheck(overflow ? 12152 : badAnswer);
            return failed;
        }
        if (offset == tamanhoArquivo_)
            return TransferEnd::Done;
        if (restartFromZero) {
            offset = 0;
            continue;
        }
        if (!MBaixando) {
            status("Download pausado!");
            return TransferEnd::Paused;
        }
        // The server stopped sending early. A new request resumes from the bytes reached; an
        // attempt that brought nothing fails instead of asking again at once, for ever.
        if (brought == 0) {
            errorCheck(12030);
            return failed;
        }
    }
}

bool TMHttpGetResume::reconnectCountdown()
{
    countdown_ = MTempoAutoReconectar;
    if (MLblNumAutoRecon)
        MLblNumAutoRecon(std::to_string(reconnectNumber_));
    ++reconnectNumber_;
    status("Aguarde, reconectando em " + std::to_string(MTempoAutoReconectar) + " segundos...");
    pump();
    while (countdown_ >= 0 && MAutoReconectar && MBaixando) {
        if (MLblTempoAutoRecon)
            MLblTempoAutoRecon(std::to_string(countdown_) + " s");
        pump();
        // One second, pumping meanwhile so that the owner can cut it short.
        const auto until = Clock::now() + std::chrono::seconds(1);
        while (Clock::now() < until && MAutoReconectar && MBaixando) {
            std::this_thread::sleep_for(kPumpInterval);
            pump();
        }
        --countdown_;
    }
    // The owner cleared MBaixando during the countdown (a pause or closing): no new start.
    if (!MBaixando) {
        status("Download pausado!");
        return false;
    }
    return true;
}

void TMHttpGetResume::completion()
{
    if (MBaixando && !erro_) {
        status("Download concluído com sucesso!");
        MBaixando = false;
    } else if (!MBaixando && !erro_) {
        status("Download já efetuado e concluído com sucesso!");
    }
    if (MOnConcluido)
        MOnConcluido(*this);
}

void TMHttpGetResume::progressReport(std::int64_t offset)
{
    try {
        tempoDecorrido_ = std::chrono::duration<double>(Clock::now() - startedAt_).count();
        tempoDownload_ = std::floor(tempoDecorrido_ * 1000) / 1000;
        if (tempoDownload_ > 0) {
            taxaTransferencia_ = static_cast<double>(bytesRecebidos_) / 1024 / tempoDownload_;
            if (taxaTransferencia_ > 0)
                tempoEstimado_ =
                    static_cast<double>(tamanhoArquivo_ - offset) / 1024 / taxaTransferencia_;
        }
        if (MProgressBar)
            MProgressBar->setPosition(offset);
        if (MLblRecebido)
            MLblRecebido(receivedLabelText(offset, tamanhoArquivo_, separators_));
        if (MLblRestante)
            MLblRestante(remainingLabelText(offset, tamanhoArquivo_, separators_));
        if (MLblTempoDecorrido)
            MLblTempoDecorrido(formatTimeOfDay(tempoDecorrido_) + " s");
        if (MLblTempoRestante)
            MLblTempoRestante(timeLeftLabelText(tempoEstimado_));
        if (MLblTaxaTransferencia)
            MLblTaxaTransferencia(rateLabelText(taxaTransferencia_, separators_));
        if (MOnProgress)
            MOnProgress(*this);
        pump();
    } catch (const std::exception& e) {
        status(e.what());
    }
}

void TMHttpGetResume::status(const std::string& text)
{
    if (MOnStatus)
        MOnStatus(*this, text);
    pump();
}

void TMHttpGetResume::errorCheck(int wininetCode)
{
    const std::string text = wininetStatusText(wininetCode);
    if (text.empty())
        return;
    erro_ = true;
    status(text);
}

void TMHttpGetResume::pump()
{
    lastPump_ = Clock::now();
    if (MProcessMessages)
        MProcessMessages();
}

} // namespace hx
