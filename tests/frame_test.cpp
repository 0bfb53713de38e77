// Rules every plug-in shares: its exported symbols, its version, and the
// gateway checks (argument counts, classes, sizes, scalars) as a host sees them.
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdio>
#include <set>

#include "host/embedded/platform.h"
#include "support.h"

namespace tfmex::test {
namespace {

#ifdef _WIN32
// A DLL's exports (--defined-only), or what it imports from the embedded
// host's DLL (--undefined-only), read from the tables of the loaded image.
std::set<std::string> dynamic_symbols(const std::string& file, const char* which) {
  std::set<std::string> names;
  void* h = host::os::open_library(file, nullptr);
  if (h == nullptr) return names;
  const auto* base = static_cast<const unsigned char*>(h);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY* dirs = nt->OptionalHeader.DataDirectory;
  if (std::string(which) == "--defined-only") {
    const auto& dir = dirs[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.Size != 0) {
      const auto* ex = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
      const auto* rvas = reinterpret_cast<const DWORD*>(base + ex->AddressOfNames);
      for (DWORD i = 0; i < ex->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(base + rvas[i]));
    }
  } else {
    const auto& dir = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         dir.Size != 0 && d->Name != 0; ++d) {
      if (_stricmp(reinterpret_cast<const char*>(base + d->Name), "tfmexhost.dll") != 0) continue;
      const DWORD thunks = d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk;
      for (auto* t = reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + thunks);
           t->u1.AddressOfData != 0; ++t) {
        if (IMAGE_SNAP_BY_ORDINAL64(t->u1.Ordinal)) continue;
        names.insert(
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + t->u1.AddressOfData)->Name);
      }
    }
  }
  host::os::close_library(h);
  return names;
}
#else
std::set<std::string> dynamic_symbols(const std::string& file, const char* which) {
  std::set<std::string> names;
  const std::string cmd = std::string("nm -D ") + which + " '" + file + "' 2>/dev/null";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, p) != nullptr) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    const auto sp = s.rfind(' ');
    std::string name = sp == std::string::npos ? s : s.substr(sp + 1);
    if (const auto at = name.find('@'); at != std::string::npos) name.erase(at);
    names.insert(name);
  }
  pclose(p);
  return names;
}
#endif

TEST(Frame, EveryPluginExportsExactlyItsTwoEntryPoints) {
  const auto plugins = built_plugins();
  ASSERT_GE(plugins.size(), 6u);
  const std::set<std::string> host_ops{
      "mxGetM",         "mxGetN",       "mxGetPr",    "mxCreateDoubleMatrix",
      "mxDestroyArray", "mexErrMsgTxt", "mxIsDouble", "mxIsComplex",
      "mxIsSparse"};
  for (const auto& name : plugins) {
    const std::string file = Plugin::default_mex_dir() + "/" + name + ".mex";
    EXPECT_EQ(dynamic_symbols(file, "--defined-only"),
              (std::set<std::string>{"mexFunction", "mexVersion"}))
        << name;
    // The host operations stay undefined, to be resolved by whichever host
    // loads the file (on Windows: imported from the embedded host's DLL).
    const auto undefined = dynamic_symbols(file, "--undefined-only");
    for (const char* op : {"mxGetM", "mxGetPr", "mxCreateDoubleMatrix", "mexErrMsgTxt"})
      EXPECT_TRUE(undefined.count(op)) << name << " does not import " << op;
    for (const auto& sym : undefined) {
      if (sym.rfind("mx", 0) == 0 || sym.rfind("mex", 0) == 0) {
        EXPECT_TRUE(host_ops.count(sym)) << name << " needs an unknown host operation " << sym;
      }
    }
    EXPECT_STREQ(plugin(name).version(), "MATLAB R14 native") << name;
  }
}

// The six first plug-ins: name, input count, the word for it, index of the
// scalar argument (-1: none).
struct Shape {
  const char* name;
  int inputs;
  const char* count_word;
  int scalar_at;
};
const Shape kPlugins[] = {
    {"HalveCoarse", 2, "two", -1}, {"HalveDetail", 2, "two", -1}, {"GrowCoarse", 2, "two", -1},
    {"GrowDetail", 2, "two", -1},  {"CircSplit", 3, "three", 1},  {"CircJoin", 3, "three", 1},
};

CallReport call_with(const Shape& p, std::vector<Array> args, int nlhs = 1) {
  std::vector<const Array*> in;
  for (const Array& a : args) in.push_back(&a);
  CallReport r = plugin(p.name).call(nlhs, in);
  EXPECT_EQ(r.problems(), "") << p.name;
  return r;
}

std::vector<Array> valid(const Shape& p) {
  std::vector<Array> a{Array::row({1, 2, 3, 4}), Array::scalar(0), Array::row(haar())};
  if (p.inputs == 2) a.erase(a.begin() + 1);
  return a;
}

TEST(Frame, ArgumentCountsAreCheckedInputsFirst) {
  for (const Shape& p : kPlugins) {
    const std::string in_msg =
        std::string(p.name) + " requires " + p.count_word + " input arguments.";
    const std::string out_msg = std::string(p.name) + " requires one output argument.";
    auto args = valid(p);
    EXPECT_TRUE(call_with(p, args).ok) << p.name;
    auto fewer = args;
    fewer.pop_back();
    EXPECT_EQ(call_with(p, fewer).message, in_msg);
    EXPECT_EQ(call_with(p, fewer, 2).message, in_msg);  // the input count wins
    auto more = args;
    more.push_back(Array::scalar(1));
    EXPECT_EQ(call_with(p, more).message, in_msg);
    EXPECT_EQ(call_with(p, args, 0).message, out_msg);  // no output requested
    EXPECT_EQ(call_with(p, args, 2).message, out_msg);
  }
}

TEST(Frame, EveryArgumentMustBeARealFullDoubleMatrix) {
  struct Kind {
    ClassId cls;
    bool complex, sparse;
  };
  const Kind kinds[] = {{ClassId::Single, false, false}, {ClassId::Int8, false, false},
                        {ClassId::UInt64, false, false}, {ClassId::Logical, false, false},
                        {ClassId::Char, false, false},   {ClassId::Double, true, false},
                        {ClassId::Double, false, true}};
  for (const Shape& p : kPlugins) {
    for (int at = 0; at < p.inputs; ++at) {
      for (const Kind& k : kinds) {
        auto args = valid(p);
        args[at] = Array::of_class(k.cls, args[at].rows(), args[at].cols(), k.complex, k.sparse);
        EXPECT_EQ(call_with(p, args).message,
                  std::string(p.name) + " requires real double arguments")
            << "argument " << at;
      }
    }
    // The type rule comes after the count check.
    auto args = valid(p);
    args[0] = Array::of_class(ClassId::Single, 1, 4);
    EXPECT_EQ(call_with(p, args, 0).message,
              std::string(p.name) + " requires one output argument.");
  }
}

TEST(Frame, OversizedArgumentsAreRefusedUnread) {
  for (const Shape& p : kPlugins) {
    auto args = valid(p);
    args[0] = Array::phantom(1, std::size_t(1) << 31);
    EXPECT_EQ(call_with(p, args).message,
              std::string(p.name) + " requires arrays of fewer than 2^31 elements");
    args = valid(p);
    args.back() = Array::phantom(std::size_t(1) << 20, std::size_t(1) << 12);  // the filter
    EXPECT_EQ(call_with(p, args).message,
              std::string(p.name) + " requires arrays of fewer than 2^31 elements");
  }
  // A signal of 2^30 values is fine in itself, but its 2n synthesis output is not.
  auto grow = valid(kPlugins[2]);
  grow[0] = Array::phantom(1, std::size_t(1) << 30);
  EXPECT_EQ(call_with(kPlugins[2], grow).message,
            "GrowCoarse requires arrays of fewer than 2^31 elements");
}

TEST(Frame, ScalarArgumentsMustBeFinite) {
  for (const Shape& p : kPlugins) {
    if (p.scalar_at < 0) continue;
    for (const Array& bad : {Array::empty(), Array::matrix(1, 0), Array::scalar(NAN),
                             Array::scalar(INFINITY), Array::scalar(-INFINITY)}) {
      auto args = valid(p);
      args[p.scalar_at] = bad;
      EXPECT_EQ(call_with(p, args).message,
                std::string(p.name) + " requires finite scalar arguments");
    }
    // Only the first stored element counts.
    auto args = valid(p);
    args[p.scalar_at] = Array::row({1, NAN});
    EXPECT_TRUE(call_with(p, args).ok);
  }
}

TEST(Frame, DyadicLengthTest) {
  for (const Shape& p : kPlugins) {
    const std::string msg = std::string(p.name) + " requires dyadic length";
    for (const Array& bad :
         {Array::row({1, 2, 3, 4, 5, 6}), Array::column({1, 2, 3}), Array::empty(),
          Array::matrix(1, 0), Array::matrix(6, 4), Array::matrix(4, 0), Array::matrix(0, 4)}) {
      auto args = valid(p);
      args[0] = bad;
      EXPECT_EQ(call_with(p, args).message, msg);
    }
    for (const Array& good : {Array::scalar(3), Array::row({1, 2}), Array::matrix(8, 3)}) {
      auto args = valid(p);
      args[0] = good;
      EXPECT_TRUE(call_with(p, args).ok) << p.name;
    }
  }
}

// Workspaces (the scratch, the mirrored filter) come from the plug-in's own
// kept buffers: the host sees only the output created and nothing destroyed.
TEST(Frame, OnlyTheOutputIsAHostArray) {
  const auto x = Array::column(random_vector(8, 3));
  const auto L = Array::scalar(1), h = Array::row(orthonormal_filter(6, 1));
  for (const char* p : {"CircSplit", "CircJoin"}) {
    auto r = plugin(p).call({&x, &L, &h});
    ASSERT_TRUE(r.ok) << p;
    EXPECT_EQ(r.created, 1u) << p;
    EXPECT_TRUE(r.destroyed_rows.empty()) << p;
  }
  auto detail = plugin("HalveDetail").call({&x, &h});
  EXPECT_EQ(detail.created, 1u);
  EXPECT_TRUE(detail.destroyed_rows.empty());
}

// Arrays of megabytes are mapped fresh from the system instead of taken from
// the heap: they start as zeros, and calls that create and read them keep
// every invariant (guards, inputs unchanged, accounting).
TEST(Frame, LargeArraysStartAsZerosAndKeepTheInvariants) {
  const std::size_t n = std::size_t{1} << 20;
  const Array zeros = Array::matrix(n, 2);
  const std::vector<double> v = zeros.values();
  EXPECT_TRUE(std::all_of(v.begin(), v.end(), [](double x) { return x == 0.0; }));
  const Array x = Array::column(random_vector(n, 8)), D = Array::scalar(3);
  const Array h = Array::row(haar());
  for (int round = 0; round < 2; ++round) {  // the second call maps afresh where the first unmapped
    const CallReport r = plugin("PacketSplit").call({&x, &D, &h});
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.problems(), "");
    const std::vector<double> table = r.output.values();
    ASSERT_EQ(table.size(), 4 * n);
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + n, x.values().begin()));
  }
}

}  // namespace
}  // namespace tfmex::test
