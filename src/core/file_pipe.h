// The input of a FilePair read ahead and its output written behind, in
// pieces of one size, by a worker thread, while the caller transforms the
// pieces before: the file I/O and the cipher overlap. Where no thread can be
// started the same calls read and write at once on the caller's thread.
//
// A piece goes round: read into (by the worker), handed to the caller by
// file_pipe_next, transformed in place, handed back by file_pipe_put, written
// (by the worker) and read into again. The caller may hold up to two pieces
// at a time. Pieces hold data of the files: they are wiped when the pipe is.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/file_pair.h"
#include "core/secret.h"
#include "platform/platform.h"

// Two pieces for the caller, two for the worker to read into and write from.
constexpr std::size_t kPipePieces = 4;

// Indices of pieces in the order they were added.
struct PieceQueue {
    uint8_t at[kPipePieces];
    uint32_t head;
    uint32_t count;
};

struct FilePipe {
    SecretBuffer memory;  // kPipePieces pieces of piece_size bytes
    std::size_t piece_size = 0;
    std::size_t len[kPipePieces] = {};  // bytes in a piece read or to be written
    PieceQueue free_pieces = {};        // to read into
    PieceQueue read_pieces = {};        // read, for the caller
    PieceQueue write_pieces = {};       // from the caller, to write
    bool read_ended = false;            // end of the input, or a read error
    bool read_failed = false;
    bool write_failed = false;
    bool stopping = false;
    bool worker_waiting = false;  // asleep in the monitor: to be woken
    bool caller_waiting = false;
    bool threaded = false;
    bool running = false;
    bool monitor_ready = false;
    // An old output file deleted but held open: closing it frees its
    // storage, which the worker does when it has nothing else to do or
    // before its first write, whichever comes first (at once where there
    // is no worker).
    plat::FileHandle old_storage = plat::kNoFile;
    FilePair* files = nullptr;
    plat::Monitor monitor;
    plat::Thread worker;

    FilePipe() = default;
    FilePipe(const FilePipe&) = delete;
    FilePipe& operator=(const FilePipe&) = delete;
    ~FilePipe();
};

// Makes the pieces (piece_size bytes each, a multiple of every block
// length): 0, or -MEMORY_ERROR with nothing made. Done before any file is
// touched, so that a failure leaves the files as they were.
int32_t file_pipe_reserve(FilePipe* p, std::size_t piece_size) noexcept;

// Starts reading the input ahead from its current position. Everything
// read or written through `files` before this comes before the pipe's data.
// With overlap false (an input of one piece, where nothing could overlap)
// no worker thread is started.
void file_pipe_start(FilePipe* p, FilePair* files, bool overlap) noexcept;

// The next piece of the input: 0 with *piece and *got, where *got is
// piece_size except at the end of the input (0 at the end itself: *piece is
// then an empty piece to write into); or -READ_ERROR. The piece belongs to
// the caller until it is put.
int32_t file_pipe_next(FilePipe* p, uint8_t** piece, std::size_t* got) noexcept;

// Gives a piece back to be written, its first n bytes (n <= piece_size, 0
// writes nothing): 0, or -WRITE_ERROR when a write has already failed.
int32_t file_pipe_put(FilePipe* p, uint8_t* piece, std::size_t n) noexcept;

// Ends the pipe once every piece put is written. rc is the outcome of the
// work; a failed write comes before it, as it would doing one step after the
// other: -WRITE_ERROR when a write failed, otherwise rc. The files stay open.
int32_t file_pipe_finish(FilePipe* p, int32_t rc) noexcept;

// Test switch: false makes file_pipe_start run without a worker thread, as
// where none can be started.
void file_pipe_allow_threads(bool allow) noexcept;
