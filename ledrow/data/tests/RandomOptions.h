// Option sets filled with random values, for round trips through files and
// exports.
#pragma once

#include "ProtectionHelpers.h"
#include "ledrow/data/ConnOptions.h"

#include <random>
#include <string>
#include <vector>

// Random values for every option but PasswordFile (which would read a
// file), a host, an identity, extra options and a password.
inline void randomise(addrbook::CConnOptions& c, std::mt19937& rng) {
  const char* pieces[] = {"a", "Z", "0", " ", "=", ";", "[", "]", "&", "<", ">", "\"", "'",
                          "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", ","};
  auto text = [&](int maxLength) {
    std::string t;
    for (int n = rng() % (maxLength + 1); n > 0; n--)
      t += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
    return t;
  };
  for (plat::ConfigParameter* p = c.head(); p; p = p->next()) {
    if (p == &c.passwordFile || p == &c.userName)
      continue;
    std::string value;
    if (p->isEnum()) {
      auto* e = static_cast<plat::EnumParameter*>(p);
      value = e->getNames()[rng() % e->nameCount()];
    } else if (p->isBool()) {
      value = rng() % 2 ? "1" : "0";
    } else if (p->isInt()) {
      value = std::to_string((int)rng());
    } else if (p->isBinary()) {
      std::vector<uint8_t> bytes(rng() % 9);
      for (uint8_t& b : bytes)
        b = (uint8_t)rng();
      value = hexOf(bytes);
    } else {
      value = text(6);
    }
    p->setParam(value.c_str(), 50);
  }
  // An empty user name is not written: a reader keeps its own default.
  c.userName.setParam(("u" + text(4)).c_str(), 50);
  c.setHost(("h" + text(5)).c_str());
  std::vector<uint8_t> identity(rng() % 5);
  for (uint8_t& b : identity)
    b = (uint8_t)rng();
  c.setIdentity(identity);
  for (int n = rng() % 3; n > 0; n--)
    c.setFromFile(("Extra" + std::to_string(rng() % 100)).c_str(), text(4).c_str(), "Options");
  if (rng() % 4)
    c.setPassword(text(10).c_str());
}
