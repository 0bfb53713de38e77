// Correctly rounded sine and cosine: a double-double fast path with an error
// bound, and a big-integer path at rising precision for the arguments whose
// rounding the bound leaves open (about 2 in 10,000 in the fast path's range). Only IEEE additions,
// subtractions and multiplications of doubles (never contracted), integer arithmetic, and the exact
// scalings frexp and ldexp are used, so every machine gets the same doubles.
#include "exact_sincos.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tfmex::trig {

namespace {

// ---------------------------------------------------------------------------
// Double-double helpers (exact without fused multiply-add).

struct DD {
  double hi, lo;
};

// a + b = s + e exactly.
inline DD two_sum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  const double e = (a - (s - bb)) + (b - bb);
  return {s, e};
}

// a + b = s + e exactly when |a| >= |b| or a == 0.
inline DD fast_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a = hi + lo, each of at most 26 significant bits (Veltkamp).
inline DD split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a b = p + e exactly (Dekker), for products far from overflow and underflow.
inline DD two_prod(double a, double b) {
  const double p = a * b;
  const DD as = split(a), bs = split(b);
  const double e = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
  return {p, e};
}

// pi/2 = P1 + P2 + P3 + P4 + O(2^-147); P1 .. P3 have 30 significant bits,
// so k Pi is exact for |k| < 2^23.
constexpr double kP1 = 0x1.921fb548p+0;
constexpr double kP2 = -0x1.de973dc8p-31;
constexpr double kP3 = -0x1.9d9cceb8p-62;
constexpr double kP4 = -0x1.1fc8f8cbb5bf7p-93;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kRoundInt = 0x1.8p52;  // adding and subtracting it rounds to an integer

// sin(i/256) = s_hi + s_lo and cos(i/256) = c_hi + c_lo, i = 0 .. 203, each
// pair the double nearest the value and the double nearest what remains.
struct Entry {
  double s_hi, s_lo, c_hi, c_lo;
};
constexpr Entry kTable[] = {
    {0x0p+0, 0x0p+0, 0x1p+0, 0x0p+0},
    {0x1.ffffaaaaaeeefp-9, -0x1.2b12b0ce9b237p-65, 0x1.ffff000015555p-1, 0x1.27d27df7df7bbp-55},
    {0x1.fffeaaaaeeeefp-8, -0x1.e45e2ec67b77cp-62, 0x1.fffc000155552p-1, 0x1.f4a01a0196daep-55},
    {0x1.7ffdc0010333p-7, -0x1.15efa2be503dbp-61, 0x1.fff70006bffep-1, -0x1.9984c57e6cfb8p-55},
    {0x1.fffaaaaeeeed5p-7, -0x1.2ab639a9f0776p-63, 0x1.fff000155549fp-1, 0x1.28a28a03a5ef3p-55},
    {0x1.3ffacab12d517p-6, 0x1.519b3218acccfp-60, 0x1.ffe700341529fp-1, -0x1.b3bc25e3e4cb3p-57},
    {0x1.7ff7001033255p-6, 0x1.efe2b51527336p-64, 0x1.ffdc006bff7e6p-1, 0x1.ae6dae86977bdp-55},
    {0x1.bff1b57858e83p-6, 0x1.df20c232a4f03p-60, 0x1.ffcf00c8140e9p-1, -0x1.c3e3e857e2d3p-55},
    {0x1.ffeaaaeeee86fp-6, -0x1.cd406fb224ae2p-60, 0x1.ffc00155527d3p-1, -0x1.3b54492d89b5bp-55},
    {0x1.1ff0d03d81efcp-5, 0x1.b74e4aa1f4c7fp-59, 0x1.ffaf0222ba3bdp-1, -0x1.426013ff0feb7p-57},
    {0x1.3feb2b12d45d5p-5, 0x1.4ec54203d1c11p-60, 0x1.ff9c03414a7bap-1, 0x1.991f4be6c59bfp-57},
    {0x1.5fe445fd1660fp-5, 0x1.d7a6e37a23793p-59, 0x1.ff8704c4021c8p-1, -0x1.d80c59264b631p-57},
    {0x1.7fdc01032fba9p-5, -0x1.599bdf46e997ap-59, 0x1.ff7006bfdf99fp-1, -0x1.8b3b560648d5fp-56},
    {0x1.9fd23c2d680dfp-5, -0x1.70b1a2ba5f59p-60, 0x1.ff57094be0f62p-1, 0x1.780a6d6b9aac9p-55},
    {0x1.bfc6d78586dacp-5, 0x1.8e4fd03dbf236p-62, 0x1.ff3c0c8103a31p-1, 0x1.4856dbddc0e66p-56},
    {0x1.dfb9b316f372ap-5, -0x1.b3adb2cd8fe77p-61, 0x1.ff1f107a44695p-1, 0x1.2552d1d5613d6p-58},
    {0x1.ffaaaeeed4edbp-5, -0x1.2d16d32684b69p-59, 0x1.ff0015549f4d3p-1, 0x1.328387b99426fp-55},
    {0x1.0fccd58e190ecp-4, -0x1.ef54e5b79b73cp-58, 0x1.fedf1b2f0f71dp-1, -0x1.358030423989ep-58},
    {0x1.1fc343d808befp-4, -0x1.f3d32e6f3be4fp-58, 0x1.febc222a8ef9fp-1, 0x1.7934934f54c77p-58},
    {0x1.2fb8925ecc92p-4, -0x1.1aceeb6944bb7p-60, 0x1.fe972a6a16e73p-1, -0x1.9b4127ab3d548p-58},
    {0x1.3facb12d1755bp-4, -0x1.921915299468bp-58, 0x1.fe7034129ef6fp-1, -0x1.cbf4337c96f97p-57},
    {0x1.4f9f904ecb8ffp-4, 0x1.6fdd8bf8cda76p-58, 0x1.fe473f4b1d7d6p-1, 0x1.a001dd2227ed4p-55},
    {0x1.5f911fd10b737p-4, -0x1.0184f02be9102p-58, 0x1.fe1c4c3c873ebp-1, -0x1.5a9c9057c4a02p-60},
    {0x1.6f814fc248d1fp-4, -0x1.1e7a14e279b6ap-59, 0x1.fdef5b11cf45dp-1, -0x1.e833a0863483p-56},
    {0x1.7f701032550e4p-4, 0x1.afc2d1800501ap-60, 0x1.fdc06bf7e6b9bp-1, 0x1.31902b535f8dbp-55},
    {0x1.8f5d5132710c4p-4, 0x1.ae29046de7c88p-61, 0x1.fd8f7f1dbcb07p-1, -0x1.c752ecfaa985bp-55},
    {0x1.9f4902d55d1f9p-4, 0x1.2696d7eac1dc1p-58, 0x1.fd5c94b43ep-1, -0x1.2e768cb4f92f9p-57},
    {0x1.af33152f68f8fp-4, 0x1.3f7698bdd23f1p-58, 0x1.fd27acee550dbp-1, 0x1.c3f64be936b41p-55},
    {0x1.bf1b78568391dp-4, 0x1.e91841dea4cc8p-58, 0x1.fcf0c800e99b1p-1, 0x1.ea3d786d186acp-57},
    {0x1.cf021c624b168p-4, -0x1.f6aedf73fb13fp-62, 0x1.fcb7e622e090ep-1, 0x1.efee620ded043p-55},
    {0x1.dee6f16c1cce6p-4, -0x1.50f8e2fb71673p-59, 0x1.fc7d078d1bc88p-1, 0x1.075d2447db685p-55},
    {0x1.eec9e78f2502bp-4, 0x1.3535175887f66p-60, 0x1.fc402c7a79d2cp-1, 0x1.f515d61e3b7d1p-56},
    {0x1.feaaeee86ee36p-4, -0x1.afcb2bcc6f03bp-59, 0x1.fc015527d5bd3p-1, 0x1.b68f35094efb8p-55},
    {0x1.0744fbcb7a34fp-3, -0x1.35f080b446e47p-57, 0x1.fbc081d406d54p-1, 0x1.19ca5c619c114p-55},
    {0x1.0f3378ddd71d1p-3, 0x1.d8468724f0f9ep-57, 0x1.fb7db2bfe0695p-1, 0x1.21dadf4f65ab1p-55},
    {0x1.1720e6bcd1c11p-3, -0x1.370a768c28cc9p-57, 0x1.fb38e82e3188p-1, -0x1.cd45c28dde5cfp-56},
    {0x1.1f0d3d7afceafp-3, -0x1.6ef95099769a5p-57, 0x1.faf22263c4bd3p-1, -0x1.52ace133a2769p-58},
    {0x1.26f8752c02859p-3, 0x1.99d3f99560e16p-60, 0x1.faa961a75fcd7p-1, 0x1.154aedc530b9p-55},
    {0x1.2ee285e4ab88fp-3, -0x1.e4d0f05dee058p-57, 0x1.fa5ea641c36f2p-1, 0x1.04da6ed17cc7cp-59},
    {0x1.36cb67bae7e52p-3, -0x1.2b58c9385fe0dp-59, 0x1.fa11f07dab019p-1, 0x1.4c36f0cfac1a2p-55},
    {0x1.3eb312c5d66cbp-3, 0x1.47d666b66cb91p-57, 0x1.f9c340a7cc428p-1, 0x1.c5b6b063b7462p-55},
    {0x1.46997f1dccbd6p-3, 0x1.5772779edaa4cp-61, 0x1.f972970ed7014p-1, 0x1.82d46ff943b09p-55},
    {0x1.4e7ea4dc5f27bp-3, 0x1.949db2ac072fcp-58, 0x1.f91ff40374d01p-1, -0x1.7d03f4d3a9e4cp-57},
    {0x1.56627c1c68959p-3, -0x1.c1a626f9f35f9p-57, 0x1.f8cb57d848b36p-1, -0x1.e28ca6524cc98p-60},
    {0x1.5e44fcfa126f3p-3, -0x1.6f443063f89b6p-57, 0x1.f874c2e1eecf6p-1, -0x1.c6514e1332b16p-55},
    {0x1.66261f92dc7f2p-3, 0x1.4732388b03388p-58, 0x1.f81c3576fc132p-1, -0x1.a210f729d0428p-56},
    {0x1.6e05dc05a4d4cp-3, -0x1.32c5c8b81c919p-66, 0x1.f7c1afeffde24p-1, -0x1.8f55bc47540b1p-56},
    {0x1.75e42a72afa53p-3, 0x1.25101dbbe3de1p-57, 0x1.f76532a779bc3p-1, -0x1.cc2b661f73e17p-56},
    {0x1.7dc102fbaf2b5p-3, 0x1.5ab50e23c97c3p-59, 0x1.f706bdf9ece1cp-1, -0x1.698c80c36dcb4p-55},
    {0x1.859c5dc3cb85dp-3, 0x1.bdacb1bb1532ap-58, 0x1.f6a65245cbf89p-1, 0x1.21006d1ee0324p-55},
    {0x1.8d7632efaa944p-3, -0x1.20fa262cbb953p-57, 0x1.f643efeb82acdp-1, 0x1.6b00ac1fe28acp-56},
    {0x1.954e7aa577d22p-3, 0x1.add11e2b03481p-57, 0x1.f5df974d73509p-1, -0x1.1041b91c41e29p-55},
    {0x1.9d252d0cec312p-3, 0x1.9c43d80b1137dp-58, 0x1.f57948cff6797p-1, 0x1.e3a0d3e03b1d4p-57},
    {0x1.a4fa424f55f0fp-3, 0x1.88fc2611aa255p-57, 0x1.f51104d95a9c8p-1, -0x1.1bc67d424373p-55},
    {0x1.accdb297a0765p-3, -0x1.9883b57d6cdeap-58, 0x1.f4a6cbd1e3a79p-1, 0x1.13df0edaebb57p-55},
    {0x1.b49f76125c1fdp-3, 0x1.697d0c986b191p-60, 0x1.f43a9e23ca996p-1, -0x1.c057991f742e7p-55},
    {0x1.bc6f84edc6199p-3, 0x1.9c1a56a7b0cabp-57, 0x1.f3cc7c3b3d16ep-1, -0x1.21a3ad28a3494p-57},
    {0x1.c43dd759d02eep-3, -0x1.5bcc2e3046626p-63, 0x1.f35c66865cff8p-1, 0x1.7cda41f3feef8p-55},
    {0x1.cc0a6588289a3p-3, -0x1.868d09bc87c6bp-57, 0x1.f2ea5d753ffedp-1, 0x1.cc4215f56d583p-55},
    {0x1.d3d527ac41d38p-3, -0x1.6fa59a447a134p-58, 0x1.f2766179ef1c7p-1, -0x1.2932f8987bcb6p-57},
    {0x1.db9e15fb5a5dp-3, -0x1.32e20d6cc6fc2p-57, 0x1.f20073086649fp-1, 0x1.b940416c1984bp-56},
    {0x1.e36528ac848dap-3, -0x1.240b73f3963fep-60, 0x1.f188929693ef2p-1, -0x1.81f656ea94ccfp-55},
    {0x1.eb2a57f8ae5a3p-3, -0x1.0be06af572cebp-57, 0x1.f10ec09c5873bp-1, 0x1.d9072762c1283p-55},
    {0x1.f2ed9c1aa91c4p-3, -0x1.6142de810c2b7p-57, 0x1.f092fd9385c7ep-1, 0x1.750563a9bed86p-59},
    {0x1.faaeed4f31577p-3, -0x1.15d88508e32b8p-57, 0x1.f01549f7deea1p-1, 0x1.d3c1e99e5cafdp-55},
    {0x1.013721ea7b3e5p-2, 0x1.10fa1d5106315p-56, 0x1.ef95a647176b9p-1, -0x1.a2aefc066f251p-55},
    {0x1.0515cbf65155cp-2, -0x1.9b8c29dfd8ec7p-56, 0x1.ef141300d2f26p-1, -0x1.2aa1b08ded372p-55},
    {0x1.08f370ec7138ap-2, -0x1.183d7d425e7ecp-57, 0x1.ee9090a6a4bap-1, 0x1.48d59a9171632p-55},
    {0x1.0cd00cef36436p-2, -0x1.9fb0a0c93e2b4p-56, 0x1.ee0b1fbc0f11cp-1, -0x1.bfd2380bbc3b1p-59},
    {0x1.10ab9c2204c59p-2, -0x1.843c6295a07bfp-56, 0x1.ed83c0c682d9p-1, 0x1.8605a9115beaep-57},
    {0x1.14861aa94ddebp-2, -0x1.be881b5b615a4p-57, 0x1.ecfa744d5efa1p-1, -0x1.56d0a4af541dp-58},
    {0x1.185f84aa9359bp-2, -0x1.5486ede74dbb2p-57, 0x1.ec6f3ad9efe2ap-1, -0x1.0bc0bfbb6aeaap-55},
    {0x1.1c37d64c6b876p-2, 0x1.46076fe0dcff4p-56, 0x1.ebe214f76efa8p-1, -0x1.02f9f12ba543ep-55},
    {0x1.200f0bb68518p-2, 0x1.31bdc968ef588p-57, 0x1.eb53033302187p-1, -0x1.40e3e817e1641p-56},
    {0x1.23e52111aaf36p-2, -0x1.4f080334eff18p-56, 0x1.eac2061bbaf4fp-1, 0x1.2c1d53e94658dp-57},
    {0x1.27ba1287c8102p-2, -0x1.0fb418a5581bp-59, 0x1.ea2f1e42969b4p-1, -0x1.bd66b6627d017p-55},
    {0x1.2b8ddc43eb49fp-2, 0x1.1553899f2d807p-57, 0x1.e99a4c3a7cd83p-1, -0x1.2264b1bc53ce8p-55},
    {0x1.2f607a724b365p-2, 0x1.70f6b47bd3fc4p-56, 0x1.e90390983fa78p-1, -0x1.28954c7f8dd8fp-55},
    {0x1.3331e94049f87p-2, 0x1.e0cb6b40c302cp-56, 0x1.e86aebf29a9edp-1, 0x1.9397afdbb58a7p-55},
    {0x1.370224dc7913dp-2, -0x1.badca2c0c47dp-57, 0x1.e7d05ee232573p-1, -0x1.c4621b65d22fbp-55},
    {0x1.3ad129769d3d8p-2, 0x1.03d550487839ap-63, 0x1.e733ea0193d4p-1, -0x1.6428b3546ce13p-55},
    {0x1.3e9ef33fb22cbp-2, -0x1.cd85ab33f11b4p-58, 0x1.e6958ded33e8ep-1, -0x1.a2d4a62b00c99p-59},
    {0x1.426b7e69ee697p-2, -0x1.f09c75705c59fp-56, 0x1.e5f54b436e9dp-1, 0x1.7eb0fd02fc8bcp-55},
    {0x1.4636c728c71a8p-2, -0x1.3e9c8df9261a7p-57, 0x1.e55322a4868cep-1, -0x1.ff59bf4b08084p-55},
    {0x1.4a00c9b0f3d2p-2, 0x1.823ba6bb08eadp-56, 0x1.e4af14b2a449cp-1, -0x1.68ca02e8a6833p-55},
    {0x1.4dc982387258bp-2, -0x1.57b6fc37e14d8p-56, 0x1.e4092211d5b7ep-1, 0x1.bc7573acc79e9p-56},
    {0x1.5190ecf68a77ap-2, 0x1.b357155eef0f3p-56, 0x1.e3614b680d6a5p-1, -0x1.27793aa015237p-56},
    {0x1.55570623d1c18p-2, 0x1.4cdaa70975dbep-59, 0x1.e2b7915d21fccp-1, 0x1.3149be81a8fd3p-55},
    {0x1.591bc9fa2f597p-2, 0x1.7c74bac3fe0cbp-57, 0x1.e20bf49acd6c1p-1, -0x1.660aec7ef636bp-58},
    {0x1.5cdf34b4dfb98p-2, 0x1.7458b493a1d2p-56, 0x1.e15e75ccac6c3p-1, 0x1.3261811c2a8d6p-55},
    {0x1.60a1429078775p-2, 0x1.b1fd80ba89133p-58, 0x1.e0af15a03dbcep-1, 0x1.fe8e702771ae6p-58},
    {0x1.6461efcaec077p-2, -0x1.94dc7178bd734p-56, 0x1.dffdd4c4e17bep-1, 0x1.51415af290396p-55},
    {0x1.682138a38d7f7p-2, -0x1.d889202444aadp-56, 0x1.df4ab3ebd875ep-1, -0x1.e2d8a7e6736c4p-55},
    {0x1.6bdf195b1456ap-2, -0x1.1c05d4d4179b8p-57, 0x1.de95b3c84374dp-1, 0x1.8b4bf71c7de42p-55},
    {0x1.6f9b8e33a0255p-2, 0x1.42bc14ee9da0dp-56, 0x1.ddded50f228d6p-1, -0x1.e80c8d42ba2bfp-57},
    {0x1.73569370bc62bp-2, 0x1.bf3442bdd527ep-56, 0x1.dd26187754695p-1, 0x1.f16517d83bbcap-56},
    {0x1.7710255764214p-2, -0x1.6ead7314bb6cep-57, 0x1.dc6b7eb995912p-1, 0x1.4b364776dcd35p-58},
    {0x1.7ac8402e05c9bp-2, 0x1.a39e39ea9f25cp-56, 0x1.dbaf08907fb2fp-1, 0x1.9a5395924f2ffp-55},
    {0x1.7e7ee03c86d4ep-2, -0x1.b63bcdabf5af2p-56, 0x1.daf0b6b888e83p-1, 0x1.a249e2b5e5ceap-55},
    {0x1.823401cc47836p-2, -0x1.08091b8d964c7p-56, 0x1.da3089f002f9p-1, -0x1.15b9a62d60141p-55},
    {0x1.85e7a12826949p-2, 0x1.8a40e9b5facep-56, 0x1.d96e82f71a9dcp-1, 0x1.ff61bd5d2039dp-55},
    {0x1.8999ba9c84fbap-2, 0x1.c1fef1753c7bfp-59, 0x1.d8aaa28fd6bf6p-1, -0x1.d74eb5f28a765p-55},
    {0x1.8d4a4a774992fp-2, 0x1.44a02ea766326p-56, 0x1.d7e4e97e17b4ap-1, -0x1.3b770352bed94p-57},
    {0x1.90f94d07e4ce8p-2, 0x1.32c8fb2f2ea25p-56, 0x1.d71d5887967eep-1, -0x1.516e003d9dd64p-58},
    {0x1.94a6be9f546c5p-2, -0x1.69ce13e683f58p-56, 0x1.d653f073e404p-1, -0x1.76236434bec37p-55},
    {0x1.98529b9027235p-2, -0x1.70c0c231d4808p-56, 0x1.d588b20c6846ep-1, -0x1.bef54b0f32a77p-55},
    {0x1.9bfce02e8051p-2, 0x1.09e39a320b0a4p-56, 0x1.d4bb9e1c619ep-1, 0x1.f34bb77858f61p-55},
    {0x1.9fa588d01ba55p-2, -0x1.6aa35ae5de16ap-59, 0x1.d3ecb570e3e87p-1, 0x1.8b4d9843b2bf5p-55},
    {0x1.a34c91cc50ccap-2, -0x1.a310e3b50cecdp-58, 0x1.d31bf8d8d7c06p-1, 0x1.e60dd3089cbddp-56},
    {0x1.a6f1f77c1718ap-2, 0x1.e7b0a3486494fp-56, 0x1.d2496924f9ac7p-1, 0x1.f17673d6927ffp-55},
    {0x1.aa95b63a09277p-2, -0x1.6293eb13c0381p-57, 0x1.d1750727d94fp-1, 0x1.0d52b1ec1a48ep-55},
    {0x1.ae37ca626888ap-2, 0x1.2d294cf918262p-57, 0x1.d09ed3b5d8937p-1, 0x1.a8d847bc2c5bbp-55},
    {0x1.b1d8305321617p-2, -0x1.ae242cb99f519p-56, 0x1.cfc6cfa52ad9fp-1, 0x1.8b5b5508f2a0dp-55},
    {0x1.b576e46bce0e6p-2, 0x1.beb8a2f9cde89p-56, 0x1.ceecfbcdd4213p-1, 0x1.b682a76d7e904p-60},
    {0x1.b913e30dbac43p-2, -0x1.e38ad2f6c3ff1p-56, 0x1.ce115909a82e5p-1, 0x1.1f139bb31109ap-55},
    {0x1.bcaf289be92ddp-2, 0x1.8b06e5fb8daacp-56, 0x1.cd33e83449b34p-1, 0x1.61068cd16da9fp-57},
    {0x1.c048b17b140a3p-2, 0x1.19fe6757e9fa7p-57, 0x1.cc54aa2b2972ep-1, 0x1.4ee162ba83a98p-57},
    {0x1.c3e07a11b2c6ep-2, -0x1.76c26153de447p-57, 0x1.cb739fcd8563cp-1, -0x1.7e793b55ea6a2p-55},
    {0x1.c7767ec7fd19ep-2, -0x1.eb14d1a3d5826p-58, 0x1.ca90c9fc67d0bp-1, -0x1.46a81485e3462p-57},
    {0x1.cb0abc07ee997p-2, -0x1.2d6ebfce7c05p-56, 0x1.c9ac299aa677fp-1, 0x1.7560844703578p-55},
    {0x1.ce9d2e3d4a51fp-2, -0x1.2fc8a12dae298p-57, 0x1.c8c5bf8ce1a84p-1, 0x1.ab3d1a1590123p-56},
    {0x1.d22dd1d59e5a4p-2, -0x1.3a439e78d544p-57, 0x1.c7dd8cb9835c3p-1, -0x1.dd23c3aa785f7p-55},
    {0x1.d5bca34047661p-2, 0x1.28a44a75fc29cp-56, 0x1.c6f39208be53bp-1, -0x1.741dbfbaadb42p-55},
    {0x1.d9499eee7456bp-2, 0x1.40792a7dee83dp-59, 0x1.c607d0648d2c1p-1, -0x1.2169fa0e8ce47p-56},
    {0x1.dcd4c15329c9ap-2, 0x1.0d4c6e171fd9ap-56, 0x1.c51a48b8b175ep-1, -0x1.1bbb43b9aa88p-57},
    {0x1.e05e06e345a5dp-2, 0x1.0f838535e3a93p-57, 0x1.c42afbf2b2c93p-1, -0x1.f2a77b07f14e6p-57},
    {0x1.e3e56c1582a69p-2, -0x1.0a4821099f88fp-58, 0x1.c339eb01ddd81p-1, -0x1.caaf5ee82c5cp-55},
    {0x1.e76aed627be4ep-2, 0x1.8937d7fe3f57fp-56, 0x1.c24716d7437f3p-1, -0x1.4874850e5d927p-56},
    {0x1.eaee8744b05fp-2, -0x1.789b43c9b027dp-58, 0x1.c1528065b7d5p-1, -0x1.892111312e828p-55},
    {0x1.ee703638867dap-2, -0x1.3872f1aaf5cbdp-56, 0x1.c05c28a1d1369p-1, 0x1.f9a1ac93aee95p-55},
    {0x1.f1eff6bc4f97bp-2, 0x1.17212f8a7525cp-56, 0x1.bf641081e7536p-1, 0x1.b7bd71628a9a1p-55},
    {0x1.f56dc5504b742p-2, 0x1.a18434fc65e81p-56, 0x1.be6a38fe1236ap-1, 0x1.fdab7587b02acp-56},
    {0x1.f8e99e76abc97p-2, 0x1.9d950af2d00a3p-58, 0x1.bd6ea310294f5p-1, 0x1.31bbcc88c109dp-56},
    {0x1.fc637eb397bb8p-2, 0x1.d8f507b2ea243p-56, 0x1.bc714fb3c2766p-1, 0x1.eb19c8a06c31p-56},
    {0x1.ffdb628d2f57ap-2, 0x1.f4a992e905b6ap-57, 0x1.bb723fe630f32p-1, 0x1.72bd2452d0a39p-56},
    {0x1.01a8a345c7871p-1, 0x1.a6deb08435eep-55, 0x1.ba7174a6847dep-1, -0x1.defb28953f677p-60},
    {0x1.0362939c69955p-1, -0x1.2d8cd78397b01p-55, 0x1.b96eeef58840ep-1, 0x1.45a3cc78fadep-58},
    {0x1.051b80908da4ap-1, 0x1.f7686b96f8f0ep-57, 0x1.b86aafd5c1d79p-1, 0x1.a6cc07549db15p-55},
    {0x1.06d3686946e5bp-1, 0x1.3f5ae4538ff1bp-55, 0x1.b764b84b704c2p-1, -0x1.f5848c21b389bp-55},
    {0x1.088a496eada47p-1, 0x1.e07780127666dp-56, 0x1.b65d095c8b12ep-1, 0x1.1d33cb4db26bdp-56},
    {0x1.0a4021e9e1001p-1, -0x1.6f643a13914f6p-55, 0x1.b553a410c104ep-1, 0x1.8ff7947027a15p-58},
    {0x1.0bf4f02508a1cp-1, 0x1.da0ced695fe43p-57, 0x1.b44889717757cp-1, 0x1.b17c0070c2815p-61},
    {0x1.0da8b26b5672ep-1, -0x1.a58def0bee909p-55, 0x1.b33bba89c8948p-1, 0x1.ea6a51d1f6ca9p-55},
    {0x1.0f5b670908515p-1, 0x1.a7ed13e5fbb05p-56, 0x1.b22d3866838c8p-1, -0x1.6e9a5f4ff5b7dp-59},
    {0x1.110d0c4b69c3bp-1, 0x1.d918998809981p-55, 0x1.b11d04162a4c6p-1, 0x1.1dd561efbc0c2p-56},
    {0x1.12bda080d5abcp-1, 0x1.d3a97fee7e959p-55, 0x1.b00b1ea8f10dep-1, -0x1.958d71955fb3fp-55},
    {0x1.146d21f8b7f82p-1, 0x1.bf9535e2739a8p-56, 0x1.aef78930bd275p-1, -0x1.f836279746f94p-56},
    {0x1.161b8f038f54ep-1, -0x1.c5ee5cde48178p-58, 0x1.ade244c123f9fp-1, 0x1.8d3fc4dfa0f9cp-55},
    {0x1.17c8e5f2eedbp-1, 0x1.35e57102e2488p-57, 0x1.accb526f69de5p-1, 0x1.8fb6a8dd6b6ccp-55},
    {0x1.197525197fbefp-1, 0x1.810a2d8e3468ap-57, 0x1.abb2b352810eep-1, 0x1.db59f6f843f91p-55},
    {0x1.1b204acb02fddp-1, -0x1.f190c70cbb5fep-58, 0x1.aa98688308913p-1, -0x1.b83d607cd5072p-63},
    {0x1.1cca555c5309bp-1, -0x1.fc53db3120a83p-58, 0x1.a97c731b4b1d2p-1, 0x1.1245d6144e0cdp-56},
    {0x1.1e7343236574cp-1, 0x1.22a3fa4f41d5ap-56, 0x1.a85ed4373e02dp-1, 0x1.9be06385ec792p-57},
    {0x1.201b12774c9b6p-1, -0x1.d31fe293d1034p-59, 0x1.a73f8cf4800e8p-1, -0x1.c372ed4bdefbfp-57},
    {0x1.21c1c1b0394cfp-1, 0x1.e5b324b23aa31p-58, 0x1.a61e9e72586afp-1, 0x1.58330e2fd453fp-55},
    {0x1.23674f277c73cp-1, 0x1.87167f61285ffp-56, 0x1.a4fc09d1b5825p-1, -0x1.4cce741fb33a5p-55},
    {0x1.250bb93788bbbp-1, 0x1.ea3d02457bccep-56, 0x1.a3d7d0352bdcfp-1, -0x1.68dbaeca19669p-55},
    {0x1.26aefe3bf437cp-1, -0x1.657b40100c3a6p-60, 0x1.a2b1f2c0f4ffp-1, 0x1.c9fe748eedc9cp-56},
    {0x1.28511c917a067p-1, -0x1.01df1d9a16b7p-55, 0x1.a18a729aee445p-1, 0x1.95e25736c0357p-60},
    {0x1.29f21295fbf51p-1, -0x1.6bd333b0b0cbbp-55, 0x1.a06150ea97ba3p-1, 0x1.bc4a6cdcbf214p-55},
    {0x1.2b91dea88421ep-1, -0x1.fa371db216abp-55, 0x1.9f368ed912f85p-1, -0x1.1d200c5791606p-55},
    {0x1.2d307f29469cfp-1, 0x1.ba5fe5f921e0bp-56, 0x1.9e0a2d9121f73p-1, -0x1.5e7ba2bd64f0ap-56},
    {0x1.2ecdf279a3082p-1, 0x1.d3557e0e7e37ep-55, 0x1.9cdc2e3f25e5cp-1, 0x1.3f99112993f62p-55},
    {0x1.306a36fc26359p-1, -0x1.21305ba6473abp-55, 0x1.9bac92111dfcep-1, 0x1.0ce9c6f353e9ap-55},
    {0x1.32054b148bc4fp-1, 0x1.f6b42095a135bp-55, 0x1.9a7b5a36a6514p-1, 0x1.722cfcc9fa7a9p-55},
    {0x1.339f2d27bfc05p-1, -0x1.ddf4717254e6fp-55, 0x1.994887e0f6a3fp-1, 0x1.0be6cea471d02p-56},
    {0x1.3537db9be0367p-1, 0x1.b327e7af040fp-57, 0x1.98141c42e131p-1, 0x1.d1ff80488f08dp-55},
    {0x1.36cf54d83ed56p-1, 0x1.6e1f20c8b5b7dp-57, 0x1.96de1890d17cep-1, 0x1.caa25dc8e6991p-55},
    {0x1.386597456282bp-1, -0x1.10fada93b07a8p-56, 0x1.95a67e00cb1fdp-1, -0x1.0befda21f862dp-55},
    {0x1.39faa14d08f31p-1, -0x1.cd164b88ce902p-57, 0x1.946d4dca688fcp-1, 0x1.02c6f2978af1dp-55},
    {0x1.3b8e715a2840ap-1, -0x1.97653a7d2f07ap-56, 0x1.93328926d9e92p-1, -0x1.bb77003600cdap-55},
    {0x1.3d2105d8f07fep-1, 0x1.1602a42d4b3d4p-57, 0x1.91f63150e3b52p-1, -0x1.80bd33fb3df2ep-57},
    {0x1.3eb25d36cd53ap-1, -0x1.be570e1570fcp-58, 0x1.90b84784ddaf7p-1, -0x1.0feb10ab93b87p-56},
    {0x1.404275e2677f7p-1, -0x1.f859aade89fd2p-56, 0x1.8f78cd00b1899p-1, -0x1.d5d3da9ac3dd3p-58},
    {0x1.41d14e4ba679p-1, 0x1.4608fd287ecf5p-55, 0x1.8e37c303d9ad1p-1, -0x1.463a4b53d4bf8p-57},
    {0x1.435ee4e3b1f86p-1, 0x1.fd05667361565p-55, 0x1.8cf52acf5ffcp-1, 0x1.eb45b71ac7cc5p-56},
    {0x1.44eb381cf386bp-1, -0x1.3ed6c1e6a5505p-55, 0x1.8bb105a5dc9p-1, 0x1.863e03e9474c1p-55},
    {0x1.4676466b180b9p-1, 0x1.d4f2a623cabd3p-56, 0x1.8a6b54cb74779p-1, 0x1.754938eccac38p-55},
    {0x1.48000e431159fp-1, -0x1.b194a7463ed1p-55, 0x1.89241985d871fp-1, 0x1.c48d9c413ed84p-55},
    {0x1.49888e1b17ba8p-1, 0x1.85f236b9ef692p-56, 0x1.87db551c43a98p-1, 0x1.cc790421e159ap-58},
    {0x1.4b0fc46aab761p-1, 0x1.0da05738cc59cp-61, 0x1.869108d77a6c6p-1, 0x1.338ffe2bfe9ddp-56},
    {0x1.4c95afaa965d9p-1, 0x1.99f87b905eef7p-55, 0x1.85453601c8e3ep-1, -0x1.8826853e7560ap-57},
    {0x1.4e1a4e54ed51bp-1, -0x1.a492f89b7c76ap-55, 0x1.83f7dde701cap-1, -0x1.152cf609bc6e8p-59},
    {0x1.4f9d9ee511c85p-1, 0x1.2ed6c74c625f7p-55, 0x1.82a901d47d1dcp-1, 0x1.7cbb4128c4c1ep-55},
    {0x1.511f9fd7b351cp-1, -0x1.5c0e861c48831p-55, 0x1.8158a31916d5dp-1, -0x1.de8b90b8228dep-57},
    {0x1.52a04faad11b6p-1, 0x1.07d7bd78bcb9cp-55, 0x1.8006c3052d917p-1, 0x1.aa8fb560a8d95p-55},
    {0x1.541facddbb724p-1, 0x1.232c28520d391p-56, 0x1.7eb362eaa1488p-1, 0x1.a1d65a4a5959fp-58},
    {0x1.559db5f115436p-1, -0x1.7229f7edd605p-56, 0x1.7d5e841cd1f93p-1, 0x1.ba5492fa6d189p-58},
    {0x1.571a6966d59b3p-1, 0x1.c843b4d0fb197p-58, 0x1.7c0827f09e54fp-1, -0x1.c73d6d72aee68p-57},
    {0x1.5895c5c24923bp-1, 0x1.b97f22c957c4fp-55, 0x1.7ab04fbc626b6p-1, 0x1.36a41f9c8150ap-55},
    {0x1.5a0fc98813a12p-1, -0x1.d82e2b7d4227bp-55, 0x1.7956fcd7f6543p-1, -0x1.ab276e9d45ae4p-55},
    {0x1.5b88733e316d1p-1, -0x1.077c33cd5e751p-55, 0x1.77fc309cacd6ep-1, 0x1.a61550088db65p-58},
    {0x1.5cffc16bf8f0dp-1, 0x1.96cb370eb578ap-55, 0x1.769fec655211fp-1, -0x1.827d5cf8c68c5p-57},
    {0x1.5e75b29a1c1dfp-1, 0x1.c266e6544ba29p-55, 0x1.7542318e2a1fap-1, 0x1.da5b28e9eb3b9p-55},
    {0x1.5fea4552a9e57p-1, 0x1.0b6cef7ee20b7p-55, 0x1.73e30174efba1p-1, -0x1.5d3ae3d94ad5fp-57},
    {0x1.615d78210faddp-1, -0x1.e3827d0c03315p-56, 0x1.72825d78d2dd2p-1, -0x1.5c7ee90b400a9p-55},
    {0x1.62cf49921ac79p-1, -0x1.edd9855b6241ap-55, 0x1.712046fa77678p-1, 0x1.425b0a5029c81p-55},
    {0x1.643fb833f9e07p-1, -0x1.4a1c5cd0442cdp-57, 0x1.6fbcbf5bf3ba2p-1, 0x1.eaec3811b3b5dp-55},
    {0x1.65aec2963e755p-1, 0x1.126f96b71053cp-55, 0x1.6e57c800cf55ep-1, 0x1.60286dedbd0a6p-55},
    {0x1.671c6749de429p-1, -0x1.57b95de1e1fdfp-55, 0x1.6cf1624e01782p-1, 0x1.d2f32a51e82e8p-56},
    {0x1.6888a4e134b2fp-1, -0x1.6b7d37644d5e6p-55, 0x1.6b898fa9efb5dp-1, 0x1.15ac786ccf4b2p-56},
    {0x1.69f379f0044d7p-1, 0x1.d89d29f8584f8p-55, 0x1.6a20517c6c95p-1, 0x1.a6fd059b9724cp-55},
    {0x1.6b5ce50b7821ap-1, -0x1.5d5158f702e0fp-57, 0x1.68b5a92eb6253p-1, -0x1.9a91ad985f89cp-55},
    {0x1.6cc4e4ca25321p-1, -0x1.60095ee08b1c7p-55, 0x1.6749982b7495cp-1, -0x1.c9e7453b2bb61p-55},
};

// r = x - k pi/2 as r.hi + r.lo for |x| < 2^22, k the nearest integer to
// x 2/pi. Every partial difference is kept exactly (two_sum); the low parts,
// each below 2^-50, are summed with rounding, and with the 2^-147 left out of
// pi/2 the result is off by less than 2^-100 (0 for k = 0).
struct Reduced {
  DD r;
  int quadrant;  // k mod 4
};

inline Reduced reduce(double x) {
  const double k = (x * kTwoOverPi + kRoundInt) - kRoundInt;
  if (k == 0.0) return {{x, 0.0}, 0};
  const DD s1 = two_sum(x, -(k * kP1));
  const DD s2 = two_sum(s1.hi, -(k * kP2));
  const DD s3 = two_sum(s2.hi, -(k * kP3));
  const double low = ((s1.lo + s2.lo) + s3.lo) - k * kP4;
  const int quadrant = static_cast<int>(static_cast<std::int64_t>(k) & 3);
  return {two_sum(s3.hi, low), quadrant};
}

// sin r (cosine false) or cos r (cosine true) for r = r.hi + r.lo,
// 0 <= r.hi <= pi/4 (1 + 2^-40), as a = i/256 from the table and t = r - a,
// |t| <= 2^-9:
//   sin(a + t) = sin a + cos a t + cos a (sin t - t) + sin a (cos t - 1) + ...
//   cos(a + t) = cos a - sin a t + cos a (cos t - 1) - sin a (sin t - t) - ...
// with t = th + tl (th exact, tl = r.lo) and the terms in tl to first order.
// The leading product is exact; the corrections are at most 2^-18 of the
// result and carry a relative error below 8 2^-53, their sum's roundings add
// fewer than 10 2^-53 of them, and the series tails are below 2^-86: the
// result is within 2^-68 of it relatively (tests/sincos_rounding_test.cpp finds
// 2^-69.9 at most against MPFR). The caller allows 2^-66.
inline DD sin_or_cos_reduced(const DD& r, bool cosine) {
  const int i = static_cast<int>(r.hi * 256.0 + 0.5);
  const Entry& e = kTable[i];
  const double th = r.hi - i * 0x1p-8;  // exact: both are multiples of ulp(r.hi)
  const double tl = r.lo;
  const double z = th * th;
  // sin t - t = th z ps(z), cos t - 1 = z pc(z) (Taylor to t^9 and t^8).
  const double ps = -1.0 / 6.0 + z * (1.0 / 120.0 + z * (-1.0 / 5040.0 + z * (1.0 / 362880.0)));
  const double pc = -0.5 + z * (1.0 / 24.0 + z * (-1.0 / 720.0 + z * (1.0 / 40320.0)));
  const double sin_t_minus_t = th * (z * ps);
  const double cos_t_minus_1 = z * pc;
  if (!cosine) {
    const DD p = two_prod(e.c_hi, th);
    const DD u = two_sum(e.s_hi, p.hi);
    const double low = (((((u.lo + p.lo) + e.s_lo) + e.c_lo * th) + (e.c_hi - e.s_hi * th) * tl) +
                        e.c_hi * sin_t_minus_t) +
                       e.s_hi * cos_t_minus_1;
    return fast_two_sum(u.hi, low);
  }
  const DD p = two_prod(e.s_hi, th);
  const DD u = two_sum(e.c_hi, -p.hi);
  const double low = (((((u.lo - p.lo) + e.c_lo) - e.s_lo * th) - (e.s_hi + e.c_hi * th) * tl) +
                      e.c_hi * cos_t_minus_1) -
                     e.s_hi * sin_t_minus_t;
  return fast_two_sum(u.hi, low);
}

constexpr std::uint64_t kMantissa = (std::uint64_t{1} << 52) - 1;
double from_bits(std::uint64_t bits) {
  double v = 0.0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

inline bool settled(const detail::Approx& a, double* out) {
  const double hi = std::fabs(a.hi);
  const double lo = a.hi < 0.0 ? -a.lo : a.lo;
  // Half the gap above hi (half its last place) and below it, which
  // is half that when hi is a power of two; hi is normal here.
  std::uint64_t bits = 0;
  std::memcpy(&bits, &hi, sizeof bits);
  const std::uint64_t exponent = bits >> 52;
  const double up = from_bits((exponent - 53) << 52);
  const double down = (bits & kMantissa) == 0 ? up * 0.5 : up;
  // A rounded sum below a double means the exact sum is below it too.
  if (lo + a.err < up && a.err - lo < down) {
    *out = a.hi;
    return true;
  }
  return false;
}

constexpr double kRelativeBound = 0x1p-66;
constexpr double kReductionBound = 0x1p-100;

inline detail::Approx approx(double x, bool cosine) {
  const Reduced red = reduce(x);
  const bool negative = red.r.hi < 0.0;
  const DD r = negative ? DD{-red.r.hi, -red.r.lo} : red.r;
  // sin(x) and cos(x) from sin(+-r) and cos(r) by the quadrant.
  const int q = (red.quadrant + (cosine ? 1 : 0)) & 3;
  const bool use_cos = (q & 1) != 0;
  DD v = sin_or_cos_reduced(r, use_cos);
  bool flip = (q & 2) != 0;
  if (!use_cos && negative) flip = !flip;
  if (flip) v = {-v.hi, -v.lo};
  const double err = std::fabs(v.hi) * kRelativeBound + (red.r.hi == x ? 0.0 : kReductionBound);
  return {v.hi, v.lo, err};
}

// ---------------------------------------------------------------------------
// Big integers: magnitudes as little-endian 32-bit limbs, no leading zero
// limb, in fixed storage so that the path never allocates: 272 limbs hold the
// 2F + 2 bits of a product at the largest precision F = 4096 and the
// 53 + 1024 + F + 1024 + 64 bits of a reduced huge argument.

constexpr std::ptrdiff_t kMaxPrecision = 4096;

struct Big {
  static constexpr std::size_t kCapacity = 272;
  std::uint32_t limb[kCapacity];
  std::size_t n = 0;

  Big() = default;
  Big(const Big& o) : n(o.n) { std::memcpy(limb, o.limb, n * sizeof(std::uint32_t)); }
  Big& operator=(const Big& o) {
    n = o.n;
    std::memmove(limb, o.limb, n * sizeof(std::uint32_t));
    return *this;
  }
  // n zero limbs
  static Big zeros(std::size_t count) {
    Big out;
    out.n = count;
    std::memset(out.limb, 0, count * sizeof(std::uint32_t));
    return out;
  }
  bool empty() const { return n == 0; }
  std::size_t size() const { return n; }
  std::uint32_t operator[](std::size_t i) const { return limb[i]; }
  std::uint32_t& operator[](std::size_t i) { return limb[i]; }
};

void trim(Big& a) {
  while (a.n > 0 && a.limb[a.n - 1] == 0) --a.n;
}

std::ptrdiff_t bit_length(const Big& a) {
  if (a.empty()) return 0;
  std::uint32_t top = a.limb[a.n - 1];
  std::ptrdiff_t bits = 32 * static_cast<std::ptrdiff_t>(a.size() - 1);
  while (top != 0) {
    ++bits;
    top >>= 1;
  }
  return bits;
}

bool test_bit(const Big& a, std::ptrdiff_t b) {
  const std::size_t limb = static_cast<std::size_t>(b / 32);
  return limb < a.size() && ((a[limb] >> (b % 32)) & 1u) != 0;
}

int compare(const Big& a, const Big& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = a.size(); i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

Big add(const Big& a, const Big& b) {
  const Big& l = a.size() >= b.size() ? a : b;
  const Big& s = a.size() >= b.size() ? b : a;
  Big out = Big::zeros(l.size() + 1);
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < l.size(); ++i) {
    carry += std::uint64_t{l[i]} + (i < s.size() ? s[i] : 0u);
    out[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
  out[l.size()] = static_cast<std::uint32_t>(carry);
  trim(out);
  return out;
}

// a - b for a >= b.
Big sub(const Big& a, const Big& b) {
  Big out = Big::zeros(a.size());
  std::int64_t borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::int64_t d = std::int64_t{a[i]} - (i < b.size() ? b[i] : 0u) - borrow;
    borrow = d < 0 ? 1 : 0;
    out[i] = static_cast<std::uint32_t>(d + (borrow << 32));
  }
  trim(out);
  return out;
}

Big shift_left(const Big& a, std::ptrdiff_t bits) {
  if (a.empty()) return a;
  const std::size_t limbs = static_cast<std::size_t>(bits / 32);
  const int rest = static_cast<int>(bits % 32);
  Big out = Big::zeros(a.size() + limbs + 1);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint64_t v = std::uint64_t{a[i]} << rest;
    out[i + limbs] |= static_cast<std::uint32_t>(v);
    out[i + limbs + 1] |= static_cast<std::uint32_t>(v >> 32);
  }
  trim(out);
  return out;
}

// floor(a / 2^bits).
Big shift_right(const Big& a, std::ptrdiff_t bits) {
  const std::size_t limbs = static_cast<std::size_t>(bits / 32);
  if (limbs >= a.size()) return Big();
  const int rest = static_cast<int>(bits % 32);
  Big out = Big::zeros(a.size() - limbs);
  for (std::size_t i = 0; i < out.size(); ++i) {
    std::uint64_t v = a[i + limbs];
    if (i + limbs + 1 < a.size()) v |= std::uint64_t{a[i + limbs + 1]} << 32;
    out[i] = static_cast<std::uint32_t>(v >> rest);
  }
  trim(out);
  return out;
}

Big multiply(const Big& a, const Big& b) {
  if (a.empty() || b.empty()) return Big();
  Big out = Big::zeros(a.size() + b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < b.size(); ++j) {
      carry += std::uint64_t{a[i]} * b[j] + out[i + j];
      out[i + j] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    out[i + b.size()] = static_cast<std::uint32_t>(carry);
  }
  trim(out);
  return out;
}

// floor(a / d), 0 < d < 2^32.
Big divide(const Big& a, std::uint32_t d) {
  Big out = Big::zeros(a.size());
  std::uint64_t rem = 0;
  for (std::size_t i = a.size(); i-- > 0;) {
    const std::uint64_t cur = (rem << 32) | a[i];
    out[i] = static_cast<std::uint32_t>(cur / d);
    rem = cur % d;
  }
  trim(out);
  return out;
}

Big from_u64(std::uint64_t v) {
  Big out = Big::zeros(2);
  out[0] = static_cast<std::uint32_t>(v);
  out[1] = static_cast<std::uint32_t>(v >> 32);
  trim(out);
  return out;
}

std::uint64_t to_u64(const Big& a) {
  std::uint64_t m = 0;
  for (std::size_t i = a.size(); i-- > 0;) m = (m << 32) | a[i];
  return m;
}

// Fixed-point numbers are integers N standing for N 2^-F.

// atan(1/q) 2^G within 3 units per term and 1 for the tail (alternating
// series, every term rounded down).
Big atan_inverse(std::uint32_t q, std::ptrdiff_t G) {
  Big term = divide(shift_left(from_u64(1), G), q);
  Big plus, minus;
  const std::uint32_t q2 = q * q;
  for (std::uint32_t j = 0; !term.empty(); ++j) {
    const Big part = divide(term, 2 * j + 1);
    if (j % 2 == 0) plus = add(plus, part);
    else minus = add(minus, part);
    term = divide(term, q2);
  }
  return sub(plus, minus);
}

// pi/2 2^W within 2 units, by Machin's pi/4 = 4 atan(1/5) - atan(1/239),
// computed with 64 guard bits: the two series take fewer than G/4 terms, so
// their 8 (3 G/4 + 2) units stay below 2^63 for any G below 2^58.
Big half_pi(std::ptrdiff_t W) {
  const std::ptrdiff_t G = W + 64;
  const Big a = atan_inverse(5, G);
  const Big b = atan_inverse(239, G);
  return shift_right(sub(shift_left(a, 3), shift_left(b, 1)), 64);  // 8 a - 2 b
}

// The double nearest N 2^-F (ties to even); N 2^-F well inside the normal range.
double round_fixed(const Big& N, std::ptrdiff_t F) {
  const std::ptrdiff_t L = bit_length(N);
  if (L <= 53) return std::ldexp(static_cast<double>(to_u64(N)), static_cast<int>(-F));
  const std::ptrdiff_t drop = L - 53;
  std::uint64_t m = to_u64(shift_right(N, drop));
  const bool half = test_bit(N, drop - 1);
  bool sticky = false;
  for (std::ptrdiff_t b = 0; b < drop - 1 && !sticky; ++b) sticky = test_bit(N, b);
  if (half && (sticky || (m & 1u) != 0)) ++m;
  return std::ldexp(static_cast<double>(m), static_cast<int>(drop - F));
}

// One attempt with F fractional bits: *out becomes the double nearest the
// value found (when it is clear of its error bound), and the result says
// whether every value within the bound rounds to that double.
bool exact_attempt(double x, bool cosine, std::ptrdiff_t F, double* out) {
  int ex = 0;
  const double mant = std::frexp(std::fabs(x), &ex);  // |x| = mant 2^ex, mant in [0.5, 1)
  const std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(mant, 53));
  const std::ptrdiff_t e = ex - 53;              // |x| = m 2^e
  const std::ptrdiff_t above = ex > 0 ? ex : 0;  // |x| < 2^above
  const std::ptrdiff_t W = F + above;
  // X = |x| 2^W (an integer, e + W >= 0 as |x| >= 2^-27 and F >= 128) and
  // X = Q P + R by long division, P = pi/2 2^W within 2 units.
  const Big X = shift_left(from_u64(m), e + W);
  const Big P = half_pi(W);
  Big R = X;
  unsigned quotient_low = 0;  // Q mod 4
  const std::ptrdiff_t top = bit_length(X) - bit_length(P);
  if (top >= 0) {
    Big D = shift_left(P, top);
    for (std::ptrdiff_t b = top; b >= 0; --b) {
      const bool fits = compare(D, R) <= 0;
      if (fits) R = sub(R, D);
      if (b < 2 && fits) quotient_low |= 1u << b;
      D = shift_right(D, 1);
    }
  }
  // |x| = Q pi/2 + r with r = R or R - P, off by at most 2 (Q + 1) units of
  // 2^-W, which is below 4 units of 2^-F as Q < 2^above; 5 after the shift.
  bool r_negative = false;
  if (compare(shift_left(R, 1), P) > 0) {
    R = sub(P, R);
    r_negative = true;
    ++quotient_low;
  }
  const Big r = shift_right(R, above);
  const Big r2 = shift_right(multiply(r, r), F);
  // Taylor series of sin |r| and cos r, each term within 3 units.
  Big sin_plus, sin_minus, cos_plus, cos_minus;
  std::uint64_t terms = 0;
  Big term = r;
  for (std::uint32_t j = 0; !term.empty(); ++j, ++terms) {
    if (j % 2 == 0) sin_plus = add(sin_plus, term);
    else sin_minus = add(sin_minus, term);
    term = divide(shift_right(multiply(term, r2), F), (2 * j + 2) * (2 * j + 3));
  }
  term = shift_left(from_u64(1), F);
  for (std::uint32_t j = 0; !term.empty(); ++j, ++terms) {
    if (j % 2 == 0) cos_plus = add(cos_plus, term);
    else cos_minus = add(cos_minus, term);
    term = divide(shift_right(multiply(term, r2), F), (2 * j + 1) * (2 * j + 2));
  }
  // 5 units from r, 3 per term, 4 for the tails and r2.
  const Big err = from_u64(9 + 3 * terms);
  // sin(|x|) or cos(|x|) by the quadrant Q mod 4 and the sign of r.
  const unsigned q = (quotient_low + (cosine ? 1u : 0u)) & 3u;
  const bool use_cos = (q & 1u) != 0;
  const Big& plus = use_cos ? cos_plus : sin_plus;
  const Big& minus = use_cos ? cos_minus : sin_minus;
  if (compare(plus, minus) <= 0) return false;
  const Big v = sub(plus, minus);
  if (compare(v, shift_left(err, 1)) <= 0) return false;
  bool negative = (q & 2u) != 0;
  if (!use_cos && r_negative) negative = !negative;
  if (!cosine && x < 0.0) negative = !negative;  // sin is odd, cos even
  const double nearest = round_fixed(v, F);
  *out = negative ? -nearest : nearest;
  return round_fixed(sub(v, err), F) == round_fixed(add(v, err), F);
}

}  // namespace

namespace detail {

Approx sin_approx(double x) { return approx(x, false); }
Approx cos_approx(double x) { return approx(x, true); }

bool rounding_settled(const Approx& a, double* out) { return settled(a, out); }

double sincos_exact(double x, bool cosine) {
  double out = 0.0;
  std::ptrdiff_t F = 128;
  while (!exact_attempt(x, cosine, F, &out) && F < kMaxPrecision) F *= 2;
  return out;
}

}  // namespace detail

namespace {

double evaluate(double x, bool cosine) {
  const double ax = std::fabs(x);
  if (!(ax <= 0x1.fffffffffffffp1023)) return x - x;  // NaN, or an infinity giving NaN
  // Below 2^-27, sin x and cos x lie within a quarter gap of x and of 1.
  if (ax < detail::kTiny) return cosine ? 1.0 : x;
  if (ax < detail::kFastLimit) {
    double out = 0.0;
    if (settled(approx(x, cosine), &out)) return out;
  }
  return detail::sincos_exact(x, cosine);
}

}  // namespace

double sin_rn(double x) { return evaluate(x, false); }
double cos_rn(double x) { return evaluate(x, true); }

}  // namespace tfmex::trig
