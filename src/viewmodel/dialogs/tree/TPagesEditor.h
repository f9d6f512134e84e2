#pragma once
// What the page dispatcher of the project tree window does to a project's pages, without the
// window: the pages list, the exchange buffer of views waiting for a place, the placements the
// preview boxes stand for, and the drops between tree, buffer and preview. Every change goes
// straight to the project and marks it modified.

#include "project/TDispatchDraw.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vorelt {

class TGVCPU;
class TProjectAE;

class TPagesEditor {
public:
    explicit TPagesEditor(TProjectAE& project);

    TProjectAE& Project() const { return FProject; }
    TDispatchDraw& Pages() const;

    // ---- Pages list ------------------------------------------------------------------------
    int AddPage(const std::string& name);
    void RenamePage(int page, const std::string& name);
    // Every view placed on the page is handed to `hideView` first (the window hides it and
    // takes it off its tab); the page goes, its processors stay unplaced and out of the buffer.
    void DeletePage(int page, const std::function<void(TGVCPU*)>& hideView);
    // Exchanges the page with its neighbour; the page's new index (unchanged when impossible).
    int MovePage(int page, int delta);

    // ---- Placements ------------------------------------------------------------------------
    // The first page holding a placement of `id`; -1 when none does.
    int PageOf(const std::string& id) const;
    bool IsPlaced(const std::string& id) const;
    // The placement a box proposes while it changes: `current` shifted by the change. Kind 1
    // moves the body; kind 2 moves corner `index`; kind 3 moves edge `index`. Corners are those
    // of the preview box: 0 = top left, 1 = (right, top), 2 = bottom right, 3 = (left, bottom);
    // edge k joins corners k and k + 1.
    static RecListGVCPU ShiftedPlacement(const RecListGVCPU& current, int32_t kind, int32_t index,
                                         long double dx, long double dy);
    // Whether the proposal may stand on the page: it snaps to the grid clear of the others.
    bool AcceptProposal(int page, RecListGVCPU proposal) const;
    // End of a box's edit with the box's corners: stored (snapped) when the page accepts it,
    // otherwise the stored placement stays. Returns the placement stored now.
    RecListGVCPU EndEdit(int page, int placement, const RecListGVCPU& corners);

    // ---- Exchange buffer -------------------------------------------------------------------
    bool InBuffer(const TGVCPU* processor) const;
    // A final processor (not the database) joins the buffer when it is neither there nor placed.
    bool TreeToBuffer(TGVCPU* processor);
    // The placement leaves the page and its processor joins the buffer.
    TGVCPU* PreviewToBuffer(int page, int placement);
    // Appends every final processor of the tree that is neither in the buffer nor placed.
    void ImportFree();
    void FreeBuffer();

    // ---- Drops on the preview --------------------------------------------------------------
    // A final processor dropped on page `page` covering `area` (logical units): it leaves the
    // buffer; when it is placed on some page nothing else happens, otherwise `area` becomes a
    // new placement (not snapped). True when a placement was added.
    bool DropOnPage(TGVCPU* processor, int page, const RecListGVCPU& area);
    bool BufferToPage(int bufferIndex, int page, const RecListGVCPU& area);

    // ---- Processors ------------------------------------------------------------------------
    // Removes every placement and buffer entry of the processor's subtree, then frees the
    // processor with its subtree. The database processor is never deleted.
    bool DeleteProcessor(TGVCPU* processor);

private:
    static bool Placeable(const TGVCPU* processor);
    void Modified();

    TProjectAE& FProject;
};

} // namespace vorelt
