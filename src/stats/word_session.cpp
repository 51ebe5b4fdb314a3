#include "stats/word_session.h"

#include <vector>

#include "common/text.h"

namespace brivanta {
namespace {

constexpr wchar_t kWordProgId[] = L"Word.Application";

// Holds the values of a call's arguments and passes each by reference
// (VT_VARIANT | VT_BYREF), the way Word's own callers do.
class ByRefArguments {
 public:
  explicit ByRefArguments(std::vector<Variant> values) : values_(std::move(values)) {
    refs_.reserve(values_.size());
    for (Variant& v : values_) refs_.push_back(Variant::RefTo(v));
  }
  std::vector<Variant>& refs() { return refs_; }

 private:
  std::vector<Variant> values_;
  std::vector<Variant> refs_;
};

std::vector<Variant> WithMissing(std::vector<Variant> given, size_t total) {
  while (given.size() < total) given.push_back(Variant::Missing());
  return given;
}

std::vector<Variant> Values(Variant a) {
  std::vector<Variant> v;
  v.push_back(std::move(a));
  return v;
}

// Close and Quit: SaveChanges = wdDoNotSaveChanges, then OriginalFormat and
// RouteDocument omitted.
InvokeResult CloseOrQuit(IDispatch* object) {
  ByRefArguments args(WithMissing(Values(Variant::Long(kWdDoNotSaveChanges)), 3));
  return Invoke(object, word_dispid::kCloseOrQuit, InvokeKind::kMethod, args.refs());
}

}  // namespace

std::optional<std::string> PageTextFromVariant(const Variant& value) {
  std::wstring text;
  if (!value.ToString(text) || text.empty()) return std::nullopt;
  return Narrow(text);
}

std::optional<double> WordCountFromVariant(const Variant& value) {
  double count = 0.0;
  if (!value.ToDouble(count)) return std::nullopt;
  return count;
}

WordSession::~WordSession() { QuitWord(); }

WordCall WordSession::Outcome(const InvokeResult& result) {
  if (result.ok()) return WordCall::kOk;
  if (IsServerGone(result.hr) || IsServerGone(result.error())) {
    gone_ = true;
    return WordCall::kServerGone;
  }
  return WordCall::kFailed;
}

void WordSession::ReleaseAll() {
  document_.reset();
  wordDocuments_.reset();
  wordProgram_.reset();
}

bool WordSession::StartWord() {
  ReleaseAll();  // a previous application is let go of, not told to quit
  gone_ = false;
  return SUCCEEDED(CreateInstance(kWordProgId, wordProgram_));
}

WordCall WordSession::HideWord() {
  if (gone_) return WordCall::kServerGone;
  std::vector<Variant> args = Values(Variant::Bool(false));
  return Outcome(Invoke(wordProgram_.get(), word_dispid::kVisible, InvokeKind::kPut, args));
}

WordCall WordSession::DisableMacros() {
  if (gone_) return WordCall::kServerGone;
  std::vector<Variant> args = Values(Variant::Long(kMsoAutomationSecurityForceDisable));
  return Outcome(InvokeByName(wordProgram_.get(), L"AutomationSecurity", InvokeKind::kPut, args));
}

WordCall WordSession::SuppressAlerts() {
  if (gone_) return WordCall::kServerGone;
  std::vector<Variant> args = Values(Variant::Long(kWdAlertsNone));
  return Outcome(Invoke(wordProgram_.get(), word_dispid::kDisplayAlerts, InvokeKind::kPut, args));
}

WordCall WordSession::BindDocuments() {
  document_.reset();
  wordDocuments_.reset();
  if (gone_) return WordCall::kServerGone;
  InvokeResult result = Invoke(wordProgram_.get(), word_dispid::kDocuments, InvokeKind::kGet);
  WordCall call = Outcome(result);
  if (call != WordCall::kOk) return call;
  wordDocuments_ = result.value.ToDispatch();
  return wordDocuments_ ? WordCall::kOk : WordCall::kFailed;
}

WordCall WordSession::OpenWordDocument(const std::string& path) {
  if (gone_) return WordCall::kServerGone;
  if (!wordDocuments_) return WordCall::kFailed;
  // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles; the other eight omitted.
  std::vector<Variant> given;
  given.push_back(Variant::String(Widen(path)));
  given.push_back(Variant::Bool(false));
  given.push_back(Variant::Bool(true));
  given.push_back(Variant::Bool(false));
  ByRefArguments args(WithMissing(std::move(given), 12));
  InvokeResult result =
      Invoke(wordDocuments_.get(), word_dispid::kOpen, InvokeKind::kMethod, args.refs());
  if (result.hr == DISP_E_MEMBERNOTFOUND) {
    result = InvokeByName(wordDocuments_.get(), L"Open", InvokeKind::kMethod, args.refs());
  }
  WordCall call = Outcome(result);
  if (call != WordCall::kOk) return call;
  ComPtr<IDispatch> opened = result.value.ToDispatch();
  if (!opened) return WordCall::kFailed;
  document_ = std::move(opened);
  return WordCall::kOk;
}

// Takes the application's `objectName` object, asks it for `member` with one integer
// argument, and lets the object go again right after.
WordCall WordSession::ReadThrough(const wchar_t* objectName, const wchar_t* member, LONG argument,
                                  Variant& answer) {
  if (gone_) return WordCall::kServerGone;
  InvokeResult holder = InvokeByName(wordProgram_.get(), objectName, InvokeKind::kRead);
  WordCall call = Outcome(holder);
  if (call != WordCall::kOk) return call;
  ComPtr<IDispatch> object = holder.value.ToDispatch();
  holder.value.Clear();
  std::vector<Variant> args = Values(Variant::Long(argument));
  InvokeResult result = InvokeByName(object.get(), member, InvokeKind::kRead, args);
  call = Outcome(result);
  if (call == WordCall::kOk) answer = std::move(result.value);
  return call;
}

WordCall WordSession::ReadPageText(std::optional<std::string>& text) {
  text.reset();
  Variant pages;
  WordCall call = ReadThrough(L"Selection", L"Information", kWdNumberOfPagesInDocument, pages);
  if (call != WordCall::kOk) return call;
  text = PageTextFromVariant(pages);
  return text ? WordCall::kOk : WordCall::kFailed;
}

WordCall WordSession::ReadWordCount(std::optional<double>& count) {
  count.reset();
  Variant words;
  WordCall call = ReadThrough(L"ActiveDocument", L"ComputeStatistics", kWdStatisticWords, words);
  if (call != WordCall::kOk) return call;
  count = WordCountFromVariant(words);
  return count ? WordCall::kOk : WordCall::kFailed;
}

WordCall WordSession::CloseWordDocument() {
  ComPtr<IDispatch> document = std::move(document_);
  if (!document) return WordCall::kFailed;
  if (gone_) return WordCall::kServerGone;
  return Outcome(CloseOrQuit(document.get()));
}

void WordSession::QuitWord() {
  document_.reset();
  wordDocuments_.reset();
  ComPtr<IDispatch> program = std::move(wordProgram_);
  if (program && !gone_) CloseOrQuit(program.get());
}

}  // namespace brivanta
