// Collecting prompts and a run's report (see the header).
#include "core/fileops/RunReport.h"

#include "core/language/TextFormat.h"

namespace px {

PromptAnswer CollectingPrompts::AskOverwrite(const OverwriteQuestion& question) {
  if (Collecting()) return PromptAnswer::kSkip;
  return inner_.AskOverwrite(question);
}

PromptAnswer CollectingPrompts::AskReadOnly(ReadOnlyCase question, const std::string& path) {
  if (Collecting()) return PromptAnswer::kSkip;
  return inner_.AskReadOnly(question, path);
}

FailureAnswer CollectingPrompts::AskFailure(FailureCase question, const std::string& path) {
  if (Collecting()) return FailureAnswer::kSkip;
  return inner_.AskFailure(question, path);
}

void CollectingPrompts::ShowMessage(RunMessage message, const std::string& path) {
  if (message != RunMessage::kCancelled && Collecting()) return;
  inner_.ShowMessage(message, path);
}

PermanentAnswer CollectingPrompts::AskPermanentDelete(const std::vector<std::string>& paths) {
  if (Collecting()) return PermanentAnswer::kNo;
  return inner_.AskPermanentDelete(paths);
}

TextId ReasonOf(FsError error) {
  switch (error) {
    case FsError::kNotFound: return text::kErrorNotFound;
    case FsError::kAccessDenied: return text::kErrorAccessDenied;
    case FsError::kSharingViolation: return text::kErrorInUse;
    case FsError::kDiskFull: return text::kErrorDiskFull;
    case FsError::kInvalidName: return text::kErrorInvalidName;
    case FsError::kAlreadyExists:
    case FsError::kFileInTheWay:
    case FsError::kNotEmpty:
      return text::kErrorExists;
    case FsError::kVerifyMismatch: return text::kErrorVerify;
    case FsError::kReplaced: return text::kErrorReplaced;
    case FsError::kNoRecycleBin: return text::kErrorNoRecycleBin;
    case FsError::kOk:
    case FsError::kNotSameDevice:
    case FsError::kIo:
      return text::kErrorIo;
  }
  return text::kErrorIo;
}

namespace {

// A control character becomes U+FFFD, so that a name cannot break a line.
std::string Shown(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\xEF\xBF\xBD";
    } else {
      out += c;
    }
  }
  return out;
}

std::string LineOf(const LanguageTable& texts, const RunProblem& problem) {
  const std::string path = Shown(problem.path);
  switch (problem.kind) {
    case ProblemKind::kTargetExists: return FormatText(texts.Text(text::kProblemExists), {path});
    case ProblemKind::kReadOnly: return FormatText(texts.Text(text::kProblemReadOnly), {path});
    case ProblemKind::kNotDeleted:
    case ProblemKind::kNotCopied:
    case ProblemKind::kNotMoved: {
      const TextId id = problem.kind == ProblemKind::kNotDeleted  ? text::kProblemNotDeleted
                        : problem.kind == ProblemKind::kNotCopied ? text::kProblemNotCopied
                                                                  : text::kProblemNotMoved;
      return FormatText(texts.Text(id), {path, texts.Text(ReasonOf(problem.error))});
    }
    case ProblemKind::kMessage: {
      // A message that does not name its entry has the path put after it.
      const std::string& pattern = texts.Text(TextOf(problem.message));
      if (PlaceholderKinds(pattern).find('s') == std::string::npos && !path.empty()) {
        return FormatText(pattern, {}) + ": " + path;
      }
      return FormatText(pattern, {path});
    }
  }
  return path;
}

}  // namespace

std::vector<std::string> ReportLines(const LanguageTable& texts,
                                     const std::vector<RunProblem>& problems) {
  std::vector<std::string> lines;
  lines.reserve(problems.size() + 1);
  // The texts come from a language file: a line break in one is shown like a
  // name's, so that each problem stays one line.
  for (const RunProblem& problem : problems) lines.push_back(Shown(LineOf(texts, problem)));
  if (lines.empty()) lines.push_back(Shown(texts.Text(text::kReportNone)));
  return lines;
}

std::string ReportText(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace px
