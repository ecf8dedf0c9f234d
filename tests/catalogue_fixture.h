// A fixture that loads a header text into the catalogue through the real reader and
// empties every global record again afterwards.
#ifndef SETUP_CATALOGUE_FIXTURE_H
#define SETUP_CATALOGUE_FIXTURE_H

#include <gtest/gtest.h>
#include <string>

#include "central.h"
#include "file.h"
#include "general.h"
#include "test_support.h"

class CatalogueTest : public ::testing::Test {
  protected:
    void Load(const std::string &header) {
        write_file(dir / "game.conf", header);
        ClearMainConfig();
        CONFIG.config_file = NewString((dir / "game.conf").c_str());
        LoadConfig();
    }
    void TearDown() override {
        ClearCatalogue();
        ClearMainConfig();
        origconfig = false;
    }
    TempDir dir;
};

#endif
