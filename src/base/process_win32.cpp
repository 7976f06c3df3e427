#include "base/process_win32.h"

#include <algorithm>
#include <vector>

namespace zvt {
namespace {

// Held while the child's ends are inheritable, across CreateProcess: any
// other start in this process waits, so its child cannot inherit them.
SRWLOCK g_startLock = SRWLOCK_INIT;

class StartLock {
 public:
  StartLock() { AcquireSRWLockExclusive(&g_startLock); }
  ~StartLock() { ReleaseSRWLockExclusive(&g_startLock); }
  StartLock(const StartLock&) = delete;
  StartLock& operator=(const StartLock&) = delete;
};

// How long the destructor gives a drain to finish by itself, and then after
// cancelling its read.
constexpr DWORD kDrainGraceMs = 1000;
// How long terminate() waits for the process to be gone.
constexpr DWORD kTerminateWaitMs = 5000;

// The child's end of one standard stream, not inheritable until the start.
struct ChildEnd {
  UniqueHandle owned;         // a pipe end or a file opened for the child
  HANDLE borrowed = nullptr;  // the parent's own standard handle (Inherit)

  HANDLE get() const { return owned ? owned.get() : borrowed; }
};

bool openFile(const std::wstring& path, bool forInput, ChildEnd& end) {
  if (forInput) {
    end.owned.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  } else {
    end.owned.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return end.owned.valid();
}

// Prepares the child's end of one stream; for a pipe, `ours` receives the
// parent's end.
bool prepareStream(const StreamSetup& setup, DWORD stdId, bool forInput, ChildEnd& end, UniqueHandle& ours) {
  switch (setup.mode) {
    case StreamMode::Inherit:
      end.borrowed = GetStdHandle(stdId);
      return true;
    case StreamMode::None:
      return true;
    case StreamMode::File:
      return openFile(setup.path, forInput, end);
    case StreamMode::Pipe:
      return forInput ? CreatePipe(end.owned.receive(), ours.receive(), nullptr, 0) != FALSE
                      : CreatePipe(ours.receive(), end.owned.receive(), nullptr, 0) != FALSE;
    case StreamMode::ToOutput:
      break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

// An inheritable handle for `handle`, valid until the start is over: the
// child's own ends are flagged (they are closed right after the start), the
// parent's standard handles are duplicated so that their flags stay as they
// are. Null stays null; a flag that cannot be set gives INVALID_HANDLE_VALUE.
HANDLE inheritable(HANDLE handle, bool owned, std::vector<UniqueHandle>& duplicates) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return handle;
  if (owned) {
    if (!SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return INVALID_HANDLE_VALUE;
    return handle;
  }
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
    return handle;  // as CreateProcess would have passed it
  }
  duplicates.emplace_back(copy);
  return copy;
}

std::vector<wchar_t> environmentBlock(const std::wstring& block) {
  std::vector<wchar_t> out(block.begin(), block.end());
  // An empty block is one terminator; every block ends with two.
  while (out.size() < 2 || out[out.size() - 1] != L'\0' || out[out.size() - 2] != L'\0') out.push_back(L'\0');
  return out;
}

}  // namespace

// Shared by the owner and the drain thread; the last one to let go frees
// it, so the thread may outlive the owner without touching freed memory.
struct ChildProcess::Drain {
  LONG references = 2;
  UniqueHandle pipe;
  UniqueHandle thread;  // the owner's handle of the thread
  size_t limit = SIZE_MAX;
  mutable SRWLOCK lock = SRWLOCK_INIT;
  std::string bytes;

  void release() {
    if (InterlockedDecrement(&references) == 0) delete this;
  }
  std::string snapshot() const {
    AcquireSRWLockShared(&lock);
    std::string copy = bytes;
    ReleaseSRWLockShared(&lock);
    return copy;
  }

  static DWORD WINAPI run(void* param) {
    auto* drain = static_cast<Drain*>(param);
    char buffer[4096];
    DWORD got = 0;
    // A zero-byte read is a zero-byte write of the child, not the end: the
    // end is the read failing once every write end is closed.
    while (ReadFile(drain->pipe.get(), buffer, sizeof(buffer), &got, nullptr)) {
      AcquireSRWLockExclusive(&drain->lock);
      size_t room = drain->limit - std::min(drain->limit, drain->bytes.size());
      drain->bytes.append(buffer, std::min<size_t>(room, got));
      ReleaseSRWLockExclusive(&drain->lock);
    }
    drain->release();
    return 0;
  }
};

bool ChildProcess::start(const ChildOptions& options) {
  StartStep step = StartStep::Options;
  auto fail = [this, &step] {
    startError_ = GetLastError();
    if (startError_ == 0) startError_ = ERROR_GEN_FAILURE;
    failedStep_ = step;
    return false;
  };
  if (process_) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return fail();
  }
  const bool useStdHandles = options.input.mode != StreamMode::Inherit || options.output.mode != StreamMode::Inherit ||
                             options.error.mode != StreamMode::Inherit;
  if ((useStdHandles && !options.inheritHandles) || options.input.mode == StreamMode::ToOutput ||
      options.output.mode == StreamMode::ToOutput ||
      (!options.drainOutputs && options.error.mode == StreamMode::Pipe)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return fail();
  }

  step = StartStep::Streams;
  ChildEnd in, out, err;
  UniqueHandle inputWrite, outputRead, errorRead;
  if (!prepareStream(options.input, STD_INPUT_HANDLE, true, in, inputWrite) ||
      !prepareStream(options.output, STD_OUTPUT_HANDLE, false, out, outputRead)) {
    return fail();
  }
  const bool errorToOutput = options.error.mode == StreamMode::ToOutput;
  if (!errorToOutput && !prepareStream(options.error, STD_ERROR_HANDLE, false, err, errorRead)) return fail();

  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (options.showWindow >= 0) {
    si.dwFlags |= STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(options.showWindow);
  }
  std::vector<wchar_t> commandLine(options.commandLine.begin(), options.commandLine.end());
  commandLine.push_back(L'\0');
  std::vector<wchar_t> environment;
  DWORD flags = options.creationFlags;
  // Suspended until it is in the job: a child that ran even briefly before
  // could start a process of its own outside the job.
  if (options.job != nullptr) flags |= CREATE_SUSPENDED;
  if (options.environment) {
    environment = environmentBlock(*options.environment);
    flags |= CREATE_UNICODE_ENVIRONMENT;
  }
  PROCESS_INFORMATION pi{};
  BOOL created = FALSE;
  {
    StartLock lock;
    std::vector<UniqueHandle> duplicates;
    DWORD inheritanceError = ERROR_SUCCESS;
    auto forChild = [&](const ChildEnd& end) {
      HANDLE handle = inheritable(end.get(), end.owned.valid(), duplicates);
      if (handle == INVALID_HANDLE_VALUE && end.get() != INVALID_HANDLE_VALUE && inheritanceError == ERROR_SUCCESS) {
        inheritanceError = GetLastError();
      }
      return handle;
    };
    if (useStdHandles) {
      si.dwFlags |= STARTF_USESTDHANDLES;
      si.hStdInput = forChild(in);
      si.hStdOutput = forChild(out);
      si.hStdError = errorToOutput ? si.hStdOutput : forChild(err);
    }
    if (inheritanceError != ERROR_SUCCESS) {
      step = StartStep::Inheritance;
      SetLastError(inheritanceError);
    } else {
      step = StartStep::Process;
      created = CreateProcessW(options.application.empty() ? nullptr : options.application.c_str(), commandLine.data(),
                               nullptr, nullptr, options.inheritHandles ? TRUE : FALSE, flags,
                               environment.empty() ? nullptr : environment.data(),
                               options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &si, &pi);
    }
    if (!created) fail();
    // Closed while the lock is held: inheritable handles left open after it
    // would reach the next child. Only this child keeps them, so the drains
    // see the end when it is done.
    in.owned.reset();
    out.owned.reset();
    err.owned.reset();
  }
  if (!created) return false;
  process_.reset(pi.hProcess);
  thread_.reset(pi.hThread);
  id_ = pi.dwProcessId;
  if (options.job != nullptr) {
    // Refused when an outer job forbids it (before Windows 8 every nested
    // job was): the child then runs without ours, and the caller is told.
    if (!AssignProcessToJobObject(options.job, process_.get())) jobError_ = GetLastError();
    if (options.priorityClass != 0 && !SetPriorityClass(process_.get(), options.priorityClass)) {
      priorityError_ = GetLastError();
    }
    if ((options.creationFlags & CREATE_SUSPENDED) == 0) ResumeThread(thread_.get());
  } else if (options.priorityClass != 0 && !SetPriorityClass(process_.get(), options.priorityClass)) {
    priorityError_ = GetLastError();
  }
  terminateOnDestroy_ = options.terminateOnDestroy;
  input_ = std::move(inputWrite);

  auto startDrain = [&](UniqueHandle& pipe) -> Drain* {
    if (!pipe) return nullptr;
    auto* drain = new Drain();
    drain->pipe = std::move(pipe);
    drain->limit = options.outputLimit;
    drain->thread.reset(CreateThread(nullptr, 0, &Drain::run, drain, 0, nullptr));
    if (!drain->thread) {
      // Without a reader the child would block on a full pipe: closing our
      // end lets its writes fail instead.
      drain->pipe.reset();
      drain->release();  // the thread's share
    }
    return drain;
  };
  if (options.drainOutputs) {
    outputDrain_ = startDrain(outputRead);
  } else {
    outputRead_ = std::move(outputRead);
  }
  errorDrain_ = startDrain(errorRead);
  return true;
}

ChildProcess::~ChildProcess() {
  closeInput();
  if (terminateOnDestroy_ && running()) terminate(1);
  stopDrain(outputDrain_);
  stopDrain(errorDrain_);
}

void ChildProcess::stopDrain(Drain*& drain) {
  if (!drain) return;
  if (drain->thread) {
    HANDLE thread = drain->thread.get();
    // A child that still runs keeps its pipe: do not wait for it.
    DWORD grace = running() ? 0 : kDrainGraceMs;
    if (WaitForSingleObject(thread, grace) == WAIT_TIMEOUT) {
      // A grandchild holds the write end. Cancelling the read ends the
      // thread; where cancelling is not supported it ends with the pipe,
      // keeping the drain alive until then.
      CancelSynchronousIo(thread);
      WaitForSingleObject(thread, kDrainGraceMs);
    }
  }
  drain->release();
  drain = nullptr;
}

bool ChildProcess::writeInput(const std::string& bytes) {
  if (!input_) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(input_.get(), bytes.data() + done, chunk, &written, nullptr)) return false;
    done += written;
  }
  return true;
}

void ChildProcess::closeInput() {
  input_.reset();
}

bool ChildProcess::wait(DWORD timeoutMs) {
  if (!process_) return true;
  return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::exitCode() const {
  if (!process_ || WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

bool ChildProcess::terminate(DWORD code) {
  if (!process_) return false;
  if (!running()) return true;
  TerminateProcess(process_.get(), code);
  return WaitForSingleObject(process_.get(), kTerminateWaitMs) == WAIT_OBJECT_0;
}

bool ChildProcess::waitForOutput(DWORD timeoutMs) {
  HANDLE threads[2];
  DWORD count = 0;
  for (Drain* drain : {outputDrain_, errorDrain_}) {
    if (drain && drain->thread) threads[count++] = drain->thread.get();
  }
  if (count == 0) return true;
  return WaitForMultipleObjects(count, threads, TRUE, timeoutMs) == WAIT_OBJECT_0;
}

std::string ChildProcess::output() const {
  return outputDrain_ ? outputDrain_->snapshot() : std::string();
}

std::string ChildProcess::errorOutput() const {
  return errorDrain_ ? errorDrain_->snapshot() : std::string();
}

}  // namespace zvt
