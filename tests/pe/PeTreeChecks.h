#pragma once
// Checks every tree of the whole file must pass: children add up to their node in both sizes.

#include "pe/PeLayout.h"

#include <gtest/gtest.h>

#include <string>

inline void ExpectChildrenAddUp(const TPeSizeNode &node, const std::string &path = "")
{
    if (node.Children.empty())
        return;
    uint64_t file = 0;
    uint64_t vm = 0;
    for (const TPeSizeNode &child : node.Children) {
        file += child.FileSize;
        vm += child.VmSize;
        ExpectChildrenAddUp(child, path + "/" + child.Name);
    }
    EXPECT_EQ(file, node.FileSize) << path;
    EXPECT_EQ(vm, node.VmSize) << path;
}

inline const TPeSizeNode *Child(const TPeSizeNode &node, const std::string &name)
{
    for (const TPeSizeNode &child : node.Children)
        if (child.Name == name)
            return &child;
    return nullptr;
}
