#pragma once
// TMHttpGetResume downloads one file over HTTP into a local file. When the local file already
// holds the start of the remote one, only the rest is requested and appended. It keeps the
// figures of the transfer, writes them into bound labels and a progress bar, reports status
// texts in Portuguese and WinINet errors in English, and can reconnect on its own after a
// failure, with a countdown and a maximum number of tries.
//
// Everything runs on the caller's thread: MBaixar returns when the download has ended, paused,
// failed or given up. The owner's message pump (`MProcessMessages`) is called at every status
// and progress report, every 50 ms while a request waits, and during the reconnection
// countdown, so the owner can clear MBaixando (pause) or MAutoReconectar (cut the countdown
// short) in between.
//
// Retries are bounded: every new request of one download after the server stopped early or
// answered with another version counts against one budget, with a pause before each. With
// automatic reconnection on, each such retry is a reconnection (its countdown and its maximum);
// otherwise three retries are made, after 1, 2 and 4 seconds, and then the download fails.
//
// Beside a partial download lies a small side file (resumeFilePath) naming the URL, the size
// and the version (ETag or Last-Modified) the partial bytes came from. The next start resumes
// only that version; the side file goes when the download completes or starts over.
//
// The status texts are UTF-8 ("Download concluído com sucesso!"), so that terminals and the
// window show their accents as they are; they are never written into files.

#include "online/NumberFormat.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace hx::platform {
struct HttpResponseHead;
}

namespace hx {

// The progress bar the component drives. Not owned; positions are bytes.
class TMProgressBar {
public:
    virtual ~TMProgressBar() = default;
    virtual void setMaximum(std::int64_t maximum) = 0;
    virtual void setPosition(std::int64_t position) = 0;
};

class TMHttpGetResume {
public:
    using TOnProgressEvent = std::function<void(TMHttpGetResume& sender)>;
    using TOnConcluidoEvent = std::function<void(TMHttpGetResume& sender)>;
    using TOnStatusEvent = std::function<void(TMHttpGetResume& sender, const std::string& sMsg)>;
    // A bound label: receives its new text. Empty: not bound.
    using TLabel = std::function<void(const std::string& text)>;

    TMHttpGetResume();
    TMHttpGetResume(const TMHttpGetResume&) = delete;
    TMHttpGetResume& operator=(const TMHttpGetResume&) = delete;

    // Read/write properties.
    std::string MURL;           // normalised on use ("http://" put in front when it lacks one)
    std::string MUsuario;       // stored, not used by the transfer
    std::string MSenha;         // stored, not used by the transfer
    int MPorta = 80;            // stored; the port written in MURL is the one used
    std::string MServidorProxy; // stored; the environment's proxy settings apply
    int MPortaProxy = 3128;     // stored, not used
    std::string MArquivoLocal;  // full path of the local file
    std::atomic<bool> MBaixando{false};       // clearing it stops after the read in progress
    std::atomic<bool> MAutoReconectar{false}; // clearing it cuts the countdown short
    int MTempoAutoReconectar = 15;            // seconds of the reconnection countdown
    int MVezesAutoReconectar = 5;             // limit of automatic reconnections; 0: none

    TMProgressBar* MProgressBar = nullptr;
    TLabel MLblTotal;
    TLabel MLblRecebido;
    TLabel MLblRestante;
    TLabel MLblTaxaTransferencia;
    TLabel MLblTempoRestante;
    TLabel MLblTempoDecorrido;
    TLabel MLblTempoAutoRecon;
    TLabel MLblNumAutoRecon;

    TOnProgressEvent MOnProgress;
    TOnConcluidoEvent MOnConcluido;
    TOnStatusEvent MOnStatus;

    // The owner's message pump (the window passes its event processing). Empty: none.
    std::function<void()> MProcessMessages;

    // Read-only properties.
    bool MErro() const { return erro_; }
    std::int64_t MTamanhoArquivo() const { return tamanhoArquivo_; }
    std::int64_t MBytesRecebidos() const { return bytesRecebidos_; }
    std::int64_t MTotalRecebido() const { return totalRecebido_; }
    std::chrono::system_clock::time_point MTempoInicial() const { return tempoInicial_; }
    double MTempoDecorrido() const { return tempoDecorrido_; } // seconds
    double MTempoDownload() const { return tempoDownload_; }
    double MTaxaTransferencia() const { return taxaTransferencia_; }
    double MTempoEstimado() const { return tempoEstimado_; }
    // The status text of the failure that ended the last start (a WinINet text, a refused
    // status, a file error); empty when it did not fail.
    const std::string& errorText() const { return errorText_; }

    // Downloads MURL into MArquivoLocal. Does nothing while MBaixando is set.
    void MBaixar();

    // Separators of the figures; the user's locale's by default.
    void setNumberSeparators(const NumberSeparators& separators) { separators_ = separators; }
    // Least time between two progress reports (the last one of a transfer always goes out).
    void setReportInterval(std::chrono::milliseconds interval) { reportInterval_ = interval; }
    // The length of one second of the retry pauses and of the reconnection countdown (tests
    // shorten it).
    void setPauseUnit(std::chrono::milliseconds unit) { pauseUnit_ = unit; }

    // Retries of one download without automatic reconnection.
    static constexpr int kRetriesWithoutReconnect = 3;

private:
    enum class TransferEnd { Done, Failed, Paused, Reconnect };
    enum class StartEnd { Finished, Again };
    struct Attempt;

    StartEnd start();
    StartEnd downloadFromLocalFile();
    std::int64_t sizeQuery();
    TransferEnd transfer(std::int64_t& offset);
    void request(std::int64_t& offset, Attempt& attempt);
    bool acceptHead(const platform::HttpResponseHead& head, std::int64_t& offset, Attempt& attempt);
    void judgeEnd(std::int64_t offset, Attempt& attempt);
    void adoptSize(std::int64_t size);
    bool pauseBeforeRetry();
    bool waitUnits(int units);
    bool reconnectCountdown();
    void fail(const std::string& text);
    void writeResumeRecord(const std::string& validator);
    void removeResumeRecord();
    void completion();
    void progressReport(std::int64_t offset);
    void status(const std::string& text);
    void errorCheck(int wininetCode);
    void pump();
    void normaliseUrl();

    bool erro_ = false;
    std::int64_t tamanhoArquivo_ = 0;
    std::int64_t bytesRecebidos_ = 0;
    std::int64_t totalRecebido_ = 0;
    std::chrono::system_clock::time_point tempoInicial_{};
    std::chrono::steady_clock::time_point startedAt_{};
    double tempoDecorrido_ = 0;
    double tempoDownload_ = 0;
    double taxaTransferencia_ = 0;
    double tempoEstimado_ = 0;

    std::int64_t localSize_ = 0;
    int attempts_ = 0;
    int countdown_ = 0;
    int reconnectNumber_ = 1;
    std::string etag_;
    std::string lastModified_;
    std::string ifRange_;    // the version the local bytes came from
    bool sizeKnown_ = false; // the server told the size (else: no resume, no percentages)
    int retries_ = 0;        // retries of the running download
    std::string errorText_;
    std::chrono::milliseconds pauseUnit_{1000};

    NumberSeparators separators_;
    std::chrono::milliseconds reportInterval_{100};
    std::chrono::steady_clock::time_point lastPump_{};
};

// The texts of the figure labels, as the progress report writes them.
std::string receivedLabelText(std::int64_t offset, std::int64_t size, const NumberSeparators& seps);
std::string remainingLabelText(std::int64_t offset, std::int64_t size,
                               const NumberSeparators& seps);
std::string timeLeftLabelText(double seconds);
std::string kilobytesText(std::int64_t bytes, const NumberSeparators& seps); // MLblTotal
std::string rateLabelText(double kilobytesPerSecond, const NumberSeparators& seps);

// "http://" in front of a URL without a scheme of its own.
std::string normaliseDownloadUrl(const std::string& url);

// The side file of a partial download: the local file's path + ".resume".
std::string resumeFilePath(const std::string& localFile);

} // namespace hx
