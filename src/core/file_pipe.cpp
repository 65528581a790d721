// Reading ahead and writing behind for the file functions.
#include "core/file_pipe.h"

#include <atomic>
#include <cstdio>

#include "tessalib.h"

namespace {

std::atomic<bool> g_threads_allowed{true};

void queue_push(PieceQueue* q, std::size_t piece) noexcept {
    q->at[(q->head + q->count) % kPipePieces] = static_cast<uint8_t>(piece);
    ++q->count;
}

std::size_t queue_pop(PieceQueue* q) noexcept {
    const std::size_t piece = q->at[q->head];
    q->head = (q->head + 1) % kPipePieces;
    --q->count;
    return piece;
}

uint8_t* piece_data(FilePipe* p, std::size_t piece) noexcept { return p->memory.data() + piece * p->piece_size; }

bool free_old_storage(FilePipe* p) noexcept {
    const plat::FileHandle old = p->old_storage;
    p->old_storage = plat::kNoFile;
    plat::monitor_leave(&p->monitor);
    plat::close_held_file(old);
    plat::monitor_enter(&p->monitor);
    return true;
}

// One piece of work, writes first: true when one was done. Called with the
// monitor held, which is left while the file is read or written.
bool pipe_step(FilePipe* p) noexcept {
    // The old output's storage goes before the first write, so that the new
    // output never needs room the old one still takes.
    if (p->write_pieces.count != 0 && p->old_storage != plat::kNoFile) return free_old_storage(p);
    if (p->write_pieces.count != 0) {
        const std::size_t piece = queue_pop(&p->write_pieces);
        if (!p->write_failed) {
            plat::monitor_leave(&p->monitor);
            const int32_t rc = file_pair_write(p->files, piece_data(p, piece), p->len[piece]);
            plat::monitor_enter(&p->monitor);
            if (rc != 0) p->write_failed = true;
        }
        queue_push(&p->free_pieces, piece);
        return true;
    }
    if (!p->read_ended && !p->stopping && p->free_pieces.count != 0) {
        const std::size_t piece = queue_pop(&p->free_pieces);
        std::size_t got = 0;
        plat::monitor_leave(&p->monitor);
        const int32_t rc = file_pair_read(p->files, piece_data(p, piece), p->piece_size, &got);
        plat::monitor_enter(&p->monitor);
        if (rc != 0) {
            p->read_failed = true;
            got = 0;
        }
        if (got < p->piece_size) p->read_ended = true;
        p->len[piece] = got;
        queue_push(got != 0 ? &p->read_pieces : &p->free_pieces, piece);
        return true;
    }
    if (p->old_storage != plat::kNoFile) return free_old_storage(p);
    return false;
}

// The two threads wake each other only when the other is asleep: every
// wake-up is a system call, and on a virtual machine an idle processor's
// wake-up costs far more.
void wake_worker(FilePipe* p) noexcept {
    if (p->worker_waiting) plat::monitor_notify_all(&p->monitor);
}

void pipe_worker(void* arg) {
    FilePipe* p = static_cast<FilePipe*>(arg);
    plat::monitor_enter(&p->monitor);
    for (;;) {
        if (pipe_step(p)) {
            if (p->caller_waiting) plat::monitor_notify_all(&p->monitor);
            continue;
        }
        if (p->stopping) break;
        p->worker_waiting = true;
        plat::monitor_wait(&p->monitor);
        p->worker_waiting = false;
    }
    plat::monitor_leave(&p->monitor);
}

// Waits for the worker to change something, or does a step itself where
// there is no worker. Called with the monitor held. False when nothing can
// change (a caller holding every piece), which the callers never are.
bool pipe_await(FilePipe* p) noexcept {
    if (!p->threaded) return pipe_step(p);
    p->caller_waiting = true;
    plat::monitor_wait(&p->monitor);
    p->caller_waiting = false;
    return true;
}

}  // namespace

FilePipe::~FilePipe() {
    if (running) file_pipe_finish(this, -INTERNAL_ERROR);
    plat::close_held_file(old_storage);
    if (monitor_ready) plat::monitor_destroy(&monitor);
}

int32_t file_pipe_reserve(FilePipe* p, std::size_t piece_size) noexcept {
    if (!p->monitor_ready) {
        if (!plat::monitor_init(&p->monitor)) return -MEMORY_ERROR;
        p->monitor_ready = true;
    }
    if (!p->memory.allocate(kPipePieces * piece_size)) return -MEMORY_ERROR;
    p->piece_size = piece_size;
    return 0;
}

void file_pipe_allow_threads(bool allow) noexcept { g_threads_allowed.store(allow); }

void file_pipe_start(FilePipe* p, FilePair* files, bool overlap) noexcept {
    p->files = files;
    p->free_pieces = PieceQueue{};
    p->read_pieces = PieceQueue{};
    p->write_pieces = PieceQueue{};
    for (std::size_t i = 0; i < kPipePieces; ++i) queue_push(&p->free_pieces, i);
    p->read_ended = p->read_failed = p->write_failed = p->stopping = false;
    p->worker_waiting = p->caller_waiting = false;
    p->running = true;
    p->threaded = overlap && g_threads_allowed.load() && plat::thread_start(&p->worker, pipe_worker, p);
    if (!p->threaded) {
        plat::close_held_file(p->old_storage);
        p->old_storage = plat::kNoFile;
    }
}

int32_t file_pipe_next(FilePipe* p, uint8_t** piece, std::size_t* got) noexcept {
    int32_t rc = 0;
    plat::monitor_enter(&p->monitor);
    bool moving = true;
    while (p->read_pieces.count == 0 && !p->read_ended && moving) moving = pipe_await(p);
    if (p->read_pieces.count != 0) {
        const std::size_t at = queue_pop(&p->read_pieces);
        *piece = piece_data(p, at);
        *got = p->len[at];
    } else if (!p->read_ended) {
        rc = -INTERNAL_ERROR;
    } else if (p->read_failed) {
        rc = -READ_ERROR;
    } else {
        // The end: an empty piece, once a write has given one back.
        while (p->free_pieces.count == 0 && moving) moving = pipe_await(p);
        if (p->free_pieces.count != 0) {
            *piece = piece_data(p, queue_pop(&p->free_pieces));
            *got = 0;
        } else {
            rc = -INTERNAL_ERROR;
        }
    }
    plat::monitor_leave(&p->monitor);
    return rc;
}

int32_t file_pipe_put(FilePipe* p, uint8_t* piece, std::size_t n) noexcept {
    const std::size_t at = static_cast<std::size_t>(piece - p->memory.data()) / p->piece_size;
    plat::monitor_enter(&p->monitor);
    p->len[at] = n;
    queue_push(n != 0 ? &p->write_pieces : &p->free_pieces, at);
    if (p->threaded)
        wake_worker(p);
    else
        while (p->write_pieces.count != 0) pipe_step(p);
    const int32_t rc = p->write_failed ? -WRITE_ERROR : 0;
    plat::monitor_leave(&p->monitor);
    return rc;
}

int32_t file_pipe_finish(FilePipe* p, int32_t rc) noexcept {
    if (!p->running) return rc;
    // Every piece put is written, also after a failure, so that the outcome
    // is the one of doing each step in turn: a write that fails comes
    // before any failure of the work after it.
    plat::monitor_enter(&p->monitor);
    p->stopping = true;
    if (p->threaded) {
        wake_worker(p);
    } else {
        while (p->write_pieces.count != 0) pipe_step(p);
    }
    plat::monitor_leave(&p->monitor);
    if (p->threaded) plat::thread_join(&p->worker);
    p->running = false;
    p->threaded = false;
    return p->write_failed ? -WRITE_ERROR : rc;
}
