// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The finder's search of the Name index for a clue, with no hit limit, into
// `list`: the step that the index benchmarks time and compare against.
#include "index/Packing.h"
#include "index/Search.h"

inline Indexing::SearchRequest searchNames(const char* clue, Indexing::ResultsList& list)
{
    Indexing::SearchRequest request;
    request.Fields = {Indexing::NameIndex};
    request.Clue = QString::fromLatin1(clue);
    request.ResultsList = &list;
    request.HitLimit = -1;
    Indexing::Find(request);
    return request;
}
