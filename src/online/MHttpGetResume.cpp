#include "online/MHttpGetResume.h"

#include "online/WinInetErrors.h"
#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/StdioFile.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
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

// The error of a failed write: a full disk says what failed and where, in the path's own words.
IoError writeError(int err, const std::string& shownPath)
{
#ifdef EDQUOT
    if (err == EDQUOT)
        err = ENOSPC;
#endif
    if (err == ENOSPC)
        return IoError("Not enough disk space to write " + shownPath);
    return ioErrorFromErrno(err);
}

// The local file, opened for writing at the resume position. Offset 0 creates or empties it.
class DownloadFile {
public:
    DownloadFile(const std::string& path, std::string shownPath, std::int64_t offset)
        : shownPath_(std::move(shownPath)), buffer_(kWriteBufferSize)
    {
        file_ = platform::openStdioFile(path, offset > 0 ? "r+b" : "wb");
        if (!file_)
            throw writeError(errno, shownPath_);
        std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
        if (offset > 0 && seek(offset) != 0) {
            const int err = errno;
            std::fclose(file_);
            file_ = nullptr;
            throw writeError(err, shownPath_);
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
            throw writeError(errno ? errno : EIO, shownPath_);
    }

    void close()
    {
        std::FILE* f = file_;
        file_ = nullptr;
        if (f && std::fclose(f) != 0)
            throw writeError(errno ? errno : EIO, shownPath_);
    }

private:
    int seek(std::int64_t offset) { return platform::seekStdioFile(file_, offset); }

    std::FILE* file_ = nullptr;
    std::string shownPath_;
    std::vector<char> buffer_;
};

// The start and the total of a Content-Range header ("bytes S-E/T"); false when it cannot be
// read or names no total.
bool readContentRange(const std::string& header, std::int64_t& start, std::int64_t& total)
{
    long long first = -1, last = -1, whole = -1;
    if (std::sscanf(header.c_str(), "bytes %lld-%lld/%lld", &first, &last, &whole) != 3)
        return false;
    if (first < 0 || last < first || last >= whole)
        return false;
    start = first;
    total = whole;
    return true;
}

// The version tag for If-Range: a strong ETag, else the date. A weak ETag never matches in
// If-Range, so every resume would come back whole.
std::string validatorOf(const std::string& etag, const std::string& lastModified)
{
    const bool strong = !etag.empty() && etag.rfind("W/", 0) != 0;
    return strong ? etag : lastModified;
}

// What the side file of a partial download records.
struct ResumeRecord {
    std::string url;
    std::int64_t size = -1;
    std::string validator;
};

std::optional<ResumeRecord> readResumeRecord(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    ResumeRecord record;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("url=", 0) == 0)
            record.url = line.substr(4);
        else if (line.rfind("size=", 0) == 0)
            record.size = std::strtoll(line.c_str() + 5, nullptr, 10);
        else if (line.rfind("validator=", 0) == 0)
            record.validator = line.substr(10);
    }
    if (record.url.empty() || record.size < 0)
        return std::nullopt;
    return record;
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
    if (platform::lowerAscii(url.substr(0, 7)) == "http://")
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

std::string resumeFilePath(const std::string& localFile)
{
    return localFile + ".resume";
}

// One request of a transfer and how it ended.
struct TMHttpGetResume::Attempt {
    enum class End { Pending, Done, Retry, Failed, Paused };
    End end = End::Pending;
    bool fromZero = false; // the retry starts the file over
    int code = 0;          // WinINet code of the failure, or of the reason to retry
    int refusedStatus = 0; // an HTTP status that refused the request
    bool framed = false;   // the answer marks its own end (a length or chunks)
    bool whole = false;    // the whole file, not a part of it
    bool complete = false; // the server sent the whole answer
    std::int64_t brought = 0;
    std::int64_t reported = -1;
    Clock::time_point lastReport = Clock::now();
    std::optional<DownloadFile> file;

    void stop(End how, int wininetCode, bool overFromZero = false)
    {
        end = how;
        code = wininetCode;
        fromZero = overFromZero;
    }
};

TMHttpGetResume::TMHttpGetResume() : separators_(userNumberSeparators())
{
}

void TMHttpGetResume::MBaixar()
{
    if (MBaixando)
        return;
    retries_ = 0;
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
    errorText_.clear();
    if (MVezesAutoReconectar != 0 && MVezesAutoReconectar < reconnectNumber_) {
        erro_ = false;
        MBaixando = false;
        reconnectNumber_ = 1;
        status(" -> Número máximo de reconexões automáticas já feitos (" +
               std::to_string(MVezesAutoReconectar) + ")!");
        status(" -> Experimente novamente mais tarde!");
        return StartEnd::Finished;
    }
    StartEnd end = StartEnd::Finished;
    try {
        const std::int64_t remote = sizeQuery();
        sizeKnown_ = remote >= 0 && !erro_;
        tamanhoArquivo_ = sizeKnown_ ? remote : 0;
        if (MLblTotal)
            MLblTotal(sizeKnown_ || erro_ ? kilobytesText(tamanhoArquivo_, separators_) : "");
        end = downloadFromLocalFile();
    } catch (const std::exception& e) {
        status(e.what());
    }
    if (end == StartEnd::Finished)
        MBaixando = false;
    return end;
}

TMHttpGetResume::StartEnd TMHttpGetResume::downloadFromLocalFile()
{
    const std::string path = platform::resolvePath(MArquivoLocal);
    const bool exists = platform::fileExists(path);
    localSize_ = exists ? static_cast<std::int64_t>(platform::fileSize(path)) : 0;
    // The local bytes belong to the version the side file names; without one, to the current.
    const std::string current = validatorOf(etag_, lastModified_);
    const auto record = readResumeRecord(resumeFilePath(path));
    const bool changed =
        record &&
        (record->url != MURL || record->size != tamanhoArquivo_ ||
         (!record->validator.empty() && !current.empty() && record->validator != current));
    ifRange_ = record && !changed ? record->validator : current;
    if (sizeKnown_ && exists && localSize_ == tamanhoArquivo_ && !changed) {
        removeResumeRecord();
        totalRecebido_ = localSize_;
        MBaixando = false;
        completion();
        return StartEnd::Finished;
    }
    // Without a size there is no resume; a local file larger than the remote one, or of
    // another version, is not a part of it: start over.
    std::int64_t offset = !sizeKnown_ || changed || localSize_ > tamanhoArquivo_ ? 0 : localSize_;
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
    if (end == TransferEnd::Done)
        removeResumeRecord();
    if (MBaixando)
        completion();
    return StartEnd::Finished;
}

bool TMHttpGetResume::localFileComplete() const
{
    const std::string path = platform::resolvePath(MArquivoLocal);
    return platform::fileExists(path) &&
           static_cast<std::int64_t>(platform::fileSize(path)) == tamanhoArquivo_;
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
        if (e.wininetCode() != 0)
            errorCheck(e.wininetCode());
        else
            fail(httpStatusText(e.status()));
        return 0;
    }
}

TMHttpGetResume::TransferEnd TMHttpGetResume::transfer(std::int64_t& offset)
{
    normaliseUrl();
    bytesRecebidos_ = 0;
    for (;;) {
        if (!beginAttempt(offset))
            return MAutoReconectar ? TransferEnd::Reconnect : TransferEnd::Failed;
        Attempt attempt;
        try {
            request(offset, attempt);
        } catch (const std::exception& e) {
            fail(e.what());
            return TransferEnd::Failed;
        }
        if (const std::optional<TransferEnd> end = endAttempt(attempt, offset))
            return *end;
    }
}

// Counts the attempt and says what it does; false when the URL is refused.
bool TMHttpGetResume::beginAttempt(std::int64_t offset)
{
    ++attempts_;
    if (attempts_ > 1)
        status("Download reiniciado automaticamente (" + std::to_string(attempts_ - 1) + ")!");
    if (!erro_)
        errorCheck(platform::httpUrlErrorCode(MURL));
    if (erro_)
        return false;
    if (offset > 0)
        status("Download a ser resumido, definindo escopo...");
    status("Enviando requisição ao servidor...");
    return true;
}

// How the transfer goes on after an attempt: its end, or nothing when another attempt follows.
std::optional<TMHttpGetResume::TransferEnd> TMHttpGetResume::endAttempt(const Attempt& attempt,
                                                                        std::int64_t& offset)
{
    const TransferEnd failed = MAutoReconectar ? TransferEnd::Reconnect : TransferEnd::Failed;
    switch (attempt.end) {
    case Attempt::End::Done:
        return TransferEnd::Done;
    case Attempt::End::Paused:
        status("Download pausado!");
        return TransferEnd::Paused;
    case Attempt::End::Failed:
        if (attempt.refusedStatus != 0)
            fail(httpStatusText(attempt.refusedStatus));
        else
            errorCheck(attempt.code);
        return failed;
    default:
        break;
    }
    if (attempt.fromZero) {
        // The bytes held are no part of the file the server has now; gone, they cannot be
        // resumed by a reconnection either.
        offset = 0;
        totalRecebido_ = 0;
        // One that stays is overwritten from byte 0 by the next attempt.
        (void)platform::deleteFile(platform::resolvePath(MArquivoLocal));
        removeResumeRecord();
    }
    // With automatic reconnection, the reconnection is the pause and its maximum the
    // budget; otherwise a few retries with growing pauses.
    if (MAutoReconectar) {
        errorCheck(attempt.code);
        return TransferEnd::Reconnect;
    }
    if (!pauseBeforeRetry()) {
        if (!MBaixando) {
            status("Download pausado!");
            return TransferEnd::Paused;
        }
        errorCheck(attempt.code);
        return TransferEnd::Failed;
    }
    return std::nullopt;
}

void TMHttpGetResume::request(std::int64_t& offset, Attempt& attempt)
{
    platform::HttpRangeRequest request;
    request.url = MURL;
    request.offset = offset;
    request.ifRange = ifRange_;
    request.bufferSize = kReadSize;

    platform::HttpRangeCallbacks callbacks;
    callbacks.onHead = [&](const platform::HttpResponseHead& head) {
        return acceptHead(head, offset, attempt) && MBaixando;
    };
    callbacks.onChunk = [&](const char* data, std::size_t size) {
        attempt.file->write(data, size);
        const auto n = static_cast<std::int64_t>(size);
        offset += n;
        attempt.brought += n;
        bytesRecebidos_ += n;
        totalRecebido_ = offset;
        const auto now = Clock::now();
        if (now - attempt.lastReport >= reportInterval_) {
            attempt.lastReport = now;
            attempt.reported = offset;
            progressReport(offset);
        }
        return MBaixando.load();
    };
    callbacks.onWait = [&] {
        if (Clock::now() - lastPump_ >= kPumpInterval)
            pump();
        return MBaixando.load();
    };

    int transportCode = 0;
    try {
        attempt.complete =
            platform::httpGetRange(request, callbacks) == platform::HttpRangeEnd::Complete;
    } catch (const platform::HttpError& e) {
        transportCode = e.wininetCode() != 0 ? e.wininetCode() : 12152;
    }
    if (attempt.file)
        attempt.file->close();
    // The last figures always go out.
    if (attempt.brought > 0 && attempt.reported != offset)
        progressReport(offset);
    if (transportCode != 0)
        attempt.stop(Attempt::End::Failed, transportCode);
    else if (attempt.end == Attempt::End::Pending)
        judgeEnd(offset, attempt);
}

bool TMHttpGetResume::acceptHead(const platform::HttpResponseHead& head, std::int64_t& offset,
                                 Attempt& attempt)
{
    if (head.status == 416 && offset > 0) { // the server has less than we hold
        attempt.stop(Attempt::End::Retry, 12152, true);
        return false;
    }
    if (head.status < 200 || head.status >= 300) {
        attempt.stop(Attempt::End::Failed, 0);
        attempt.refusedStatus = head.status;
        return false;
    }
    attempt.framed = head.contentLength >= 0 || head.chunked;
    if (head.status == 206) {
        std::int64_t start = -1, total = -1;
        // An encoded part cannot be decoded on its own; a part that is not the rest of the
        // file measured belongs to another version: either way the file starts over.
        if (head.encoded || !readContentRange(head.contentRange, start, total) || start != offset ||
            (sizeKnown_ && total != tamanhoArquivo_)) {
            attempt.stop(offset > 0 ? Attempt::End::Retry : Attempt::End::Failed, 12152,
                         offset > 0);
            return false;
        }
        adoptSize(total);
    } else {
        // The whole file (a server without ranges, or If-Range found it changed): it replaces
        // whatever the local file holds. Its own length outweighs the size query's.
        attempt.whole = true;
        offset = 0;
        totalRecebido_ = 0;
        if (!head.encoded && head.contentLength >= 0)
            adoptSize(head.contentLength);
        const std::string version = validatorOf(head.etag, head.lastModified);
        if (!version.empty())
            ifRange_ = version;
    }
    if (sizeKnown_)
        writeResumeRecord(ifRange_);
    else
        removeResumeRecord();
    attempt.file.emplace(platform::resolvePath(MArquivoLocal), MArquivoLocal, offset);
    status(offset <= 0 ? "Iniciando download..." : "Resumindo download...");
    return true;
}

void TMHttpGetResume::judgeEnd(std::int64_t offset, Attempt& attempt)
{
    // A whole answer that marked its own end, or any answer when nothing else tells the size,
    // is the file.
    if (attempt.complete && ((attempt.framed && attempt.whole) || !sizeKnown_)) {
        adoptSize(offset);
        attempt.end = Attempt::End::Done;
    } else if (sizeKnown_ && offset == tamanhoArquivo_) {
        attempt.end = Attempt::End::Done;
    } else if (sizeKnown_ && offset > tamanhoArquivo_) {
        // More than the file has: the bytes cannot be trusted, and kept they would pass for
        // the whole file at the next start (one that stays is larger than the file, so the next
        // start begins again from byte 0).
        (void)platform::deleteFile(platform::resolvePath(MArquivoLocal));
        removeResumeRecord();
        attempt.stop(Attempt::End::Failed, 12152);
    } else if (!MBaixando) {
        attempt.end = Attempt::End::Paused;
    } else {
        // The server stopped sending early; without a size a new request starts over.
        attempt.stop(Attempt::End::Retry, 12030, !sizeKnown_);
    }
}

void TMHttpGetResume::adoptSize(std::int64_t size)
{
    if (sizeKnown_ && size == tamanhoArquivo_)
        return;
    sizeKnown_ = true;
    tamanhoArquivo_ = size;
    if (MLblTotal)
        MLblTotal(kilobytesText(tamanhoArquivo_, separators_));
    if (MProgressBar)
        MProgressBar->setMaximum(tamanhoArquivo_);
}

bool TMHttpGetResume::pauseBeforeRetry()
{
    if (retries_ >= kRetriesWithoutReconnect)
        return false;
    const int units = std::min(1 << retries_, 30); // 1, 2, 4 ... seconds
    ++retries_;
    return waitUnits(units);
}

bool TMHttpGetResume::waitUnits(int units)
{
    const auto until = Clock::now() + pauseUnit_ * units;
    while (MBaixando && Clock::now() < until) {
        const auto left = until - Clock::now();
        std::this_thread::sleep_for(std::min<Clock::duration>(kPumpInterval, left));
        pump();
    }
    return MBaixando;
}

void TMHttpGetResume::writeResumeRecord(const std::string& validator)
{
    const std::string text = "url=" + MURL + "\nsize=" + std::to_string(tamanhoArquivo_) +
                             "\nvalidator=" + validator + "\n";
    try {
        platform::writeTextAtomic(resumeFilePath(platform::resolvePath(MArquivoLocal)), text);
    } catch (const Error&) {
        // Without it the next start resumes with the version the server names then.
    }
}

void TMHttpGetResume::removeResumeRecord()
{
    // Missing already when none was written.
    (void)platform::deleteFile(resumeFilePath(platform::resolvePath(MArquivoLocal)));
}

void TMHttpGetResume::fail(const std::string& text)
{
    erro_ = true;
    errorText_ = text;
    status(text);
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
        const auto until = Clock::now() + pauseUnit_;
        while (Clock::now() < until && MAutoReconectar && MBaixando) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(kPumpInterval, until - Clock::now()));
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
            if (taxaTransferencia_ > 0 && sizeKnown_)
                tempoEstimado_ =
                    static_cast<double>(tamanhoArquivo_ - offset) / 1024 / taxaTransferencia_;
        }
        // Without a size the figures show the bytes received alone.
        if (MProgressBar && sizeKnown_)
            MProgressBar->setPosition(offset);
        if (MLblRecebido)
            MLblRecebido(sizeKnown_ ? receivedLabelText(offset, tamanhoArquivo_, separators_)
                                    : kilobytesText(offset, separators_));
        if (MLblRestante && sizeKnown_)
            MLblRestante(remainingLabelText(offset, tamanhoArquivo_, separators_));
        if (MLblTempoDecorrido)
            MLblTempoDecorrido(formatTimeOfDay(tempoDecorrido_) + " s");
        if (MLblTempoRestante && sizeKnown_)
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
    if (!text.empty())
        fail(text);
}

void TMHttpGetResume::pump()
{
    lastPump_ = Clock::now();
    if (MProcessMessages)
        MProcessMessages();
}

} // namespace hx
