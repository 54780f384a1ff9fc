// hoardscope call: a late-bound automation client, as a script is one. It finds the class by its ProgID in the
// registry, creates the object through the factory of the module registered for it, and makes each call through
// GetIDsOfNames and Invoke.
//
//   call PROGID [--folder DIR | --cancel] CALL...
//       CALL is Name or Name(ARG, ...); an ARG is "text" (\" and \\ inside), a number, null or empty.
//       Each call prints one line, "Name: 0x" and its HRESULT in 8 hex digits, and after a failure a space and
//       the error's description. --folder DIR and --cancel answer the object's folder picker; without them the
//       picker appears where there is a display. Exit code 0 when every call succeeded, 1 when a call failed or
//       the object could not be made, 2 for a call that cannot be read.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "com/ComModule.h"
#include "Commands.h"
#include "Options.h"
#include "com/ClassRegistry.h"
#include "com/ComPtr.h"
#include "com/ComSupport.h"

namespace hoardscope {
namespace {

constexpr const char* kUsage = "usage: hoardscope call PROGID [--folder DIR | --cancel] CALL...\n"
                               "       CALL: Name or Name(ARG, ...); ARG: \"text\", a number, null or empty\n";

// A call that cannot be read.
struct TCallFailure {
  std::string Message;
};

// A VARIANT that frees what it holds.
class TArgument {
 public:
  TArgument() { VariantInit(&Value); }
  TArgument(TArgument&& other) noexcept : Value(other.Value) { VariantInit(&other.Value); }
  TArgument& operator=(TArgument&&) = delete;
  TArgument(const TArgument&) = delete;
  ~TArgument() { VariantClear(&Value); }
  VARIANT Value;
};

struct TCall {
  std::string Name;
  std::vector<TArgument> Arguments;
};

// Reads one argument at text[at], leaving at after it.
TArgument ParseArgument(const std::string& text, std::size_t& at) {
  TArgument argument;
  if (text[at] == '"') {
    std::string value;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
      if (text[at] == '\\' && at + 1 < text.size()) ++at;
      value += text[at];
    }
    if (at >= text.size()) throw TCallFailure{"unterminated text in " + text};
    ++at;
    argument.Value.vt = VT_BSTR;
    argument.Value.bstrVal = AllocBstr(value);
    return argument;
  }
  const std::size_t end = text.find_first_of(",)", at);
  std::string word = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  at = end == std::string::npos ? text.size() : end;
  while (!word.empty() && word.back() == ' ') word.pop_back();
  if (word == "null") {
    argument.Value.vt = VT_NULL;
  } else if (word == "empty") {
    argument.Value.vt = VT_EMPTY;
  } else {
    std::size_t used = 0;
    double number = 0;
    try {
      number = std::stod(word, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (word.empty() || used != word.size()) throw TCallFailure{"not an argument: " + word};
    const bool whole = word.find_first_of(".eE") == std::string::npos && number >= -2147483648.0 &&
                       number <= 2147483647.0;
    argument.Value.vt = whole ? VT_I4 : VT_R8;
    if (whole) {
      argument.Value.lVal = static_cast<LONG>(number);
    } else {
      argument.Value.dblVal = number;
    }
  }
  return argument;
}

TCall ParseCall(const std::string& text) {
  TCall call;
  const std::size_t open = text.find('(');
  call.Name = text.substr(0, open);
  if (call.Name.empty()) throw TCallFailure{"a call without a name: " + text};
  if (open == std::string::npos) return call;
  if (text.back() != ')') throw TCallFailure{"a call must end with \")\": " + text};
  std::size_t at = open + 1;
  const auto skipBlanks = [&] {
    while (at < text.size() && text[at] == ' ') ++at;
  };
  skipBlanks();
  if (text[at] == ')') return call;
  for (;;) {
    skipBlanks();
    call.Arguments.push_back(ParseArgument(text, at));
    skipBlanks();
    if (at >= text.size()) throw TCallFailure{"a call must end with \")\": " + text};
    if (text[at] == ')') break;
    if (text[at] != ',') throw TCallFailure{"expected \",\" in " + text};
    ++at;
  }
  if (at + 1 != text.size()) throw TCallFailure{"text after the arguments: " + text};
  return call;
}

// The system's text of the dispatch failures that come without error information.
std::string DispatchFailureText(HRESULT result) {
  if (result == DISP_E_UNKNOWNNAME) return "Unknown name.";
  if (result == DISP_E_MEMBERNOTFOUND) return "Member not found.";
  if (result == DISP_E_BADPARAMCOUNT) return "Invalid number of parameters.";
  if (result == DISP_E_NONAMEDARGS) return "No named arguments.";
  if (result == DISP_E_TYPEMISMATCH) return "Type mismatch.";
  return "";
}

// Makes one call; the line it prints. failed tells whether it failed.
std::string Perform(IDispatch& object, TCall& call, bool& failed) {
  WideString name = WideOfText(call.Name);
  LPOLESTR names[] = {name.data()};
  DISPID member = DISPID_UNKNOWN;
  HRESULT result = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
  std::string description = DispatchFailureText(result);
  if (SUCCEEDED(result)) {
    std::vector<VARIANT> arguments;  // last first, as DISPPARAMS holds them
    for (auto argument = call.Arguments.rbegin(); argument != call.Arguments.rend(); ++argument) {
      arguments.push_back(argument->Value);
    }
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    VARIANT returned;
    VariantInit(&returned);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    result = object.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &returned, &exception,
                           &argumentError);
    VariantClear(&returned);
    description = DispatchFailureText(result);
    if (result == DISP_E_EXCEPTION) {
      result = exception.scode;
      description = TextOfBstr(exception.bstrDescription);
    }
    for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile}) SysFreeString(text);
  }
  failed = FAILED(result);
  return call.Name + ": " + HresultText(result) + (failed && !description.empty() ? " " + description : "");
}

// Creates the object of a ProgID through its registered module, whose folder picker takes folderAnswer ("" is a
// cancel) when there is one; raises std::runtime_error when it cannot.
TComPtr<IDispatch> CreateObject(IRegistry& registry, const std::string& progId,
                                const std::optional<std::string>& folderAnswer, std::optional<TComModule>& module) {
  const auto clsid = ClassOfProgId(registry, progId);
  if (!clsid) throw std::runtime_error("no class is registered under the ProgID " + progId);
  const auto path = ModuleOfClass(registry, *clsid);
  if (!path) throw std::runtime_error("no module is registered for " + progId + " " + GuidText(*clsid));
  module.emplace(*path);
  if (folderAnswer && FAILED(module->AnswerFolderPicker(folderAnswer->empty() ? nullptr : folderAnswer->c_str()))) {
    throw std::runtime_error(*path + " takes no answer for its folder picker");
  }
  TComPtr<IDispatch> object;
  const HRESULT created = module->CreateInstance(*clsid, IID_IDispatch, reinterpret_cast<void**>(object.Out()));
  if (FAILED(created)) throw std::runtime_error(progId + " could not be created (" + HresultText(created) + ")");
  return object;
}

}  // namespace

int RunCallCommand(const TArguments& args, const THomePaths& home) {
  std::vector<std::string> callTexts;
  std::optional<std::string> folderAnswer;
  for (TOptionReader reader(args, 1); reader.Next();) {
    if (reader.HasValue("--folder") && !folderAnswer) {
      folderAnswer = std::filesystem::absolute(reader.TakeValue()).string();
    } else if (reader.Is("--cancel") && !folderAnswer) {
      folderAnswer = "";
    } else if (reader.IsOption()) {
      callTexts.clear();
      break;
    } else {
      callTexts.push_back(reader.Current());
    }
  }
  if (args.empty() || callTexts.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    std::vector<TCall> calls;
    for (const std::string& text : callTexts) calls.push_back(ParseCall(text));
    const std::unique_ptr<IRegistry> registry = OpenHomeRegistry(home);
    std::optional<TComModule> module;  // outlives the object it serves
    TComPtr<IDispatch> object = CreateObject(*registry, args[0], folderAnswer, module);
    bool anyFailed = false;
    for (TCall& call : calls) {
      bool failed = false;
      std::cout << Perform(*object.Get(), call, failed) << "\n";
      anyFailed = anyFailed || failed;
    }
    return anyFailed ? 1 : 0;
  } catch (const TCallFailure& failure) {
    std::cerr << "hoardscope: " << failure.Message << "\n" << kUsage;
    return 2;
  }
}

}  // namespace hoardscope
