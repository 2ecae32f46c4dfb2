#include "batch/headless.h"

namespace orv::batch {

HeadlessControls::HeadlessControls()
{
    // A freshly created main window.
    setText(Field::txtAmpClip, "1000");
    setText(Field::txtGainValue, "400");
    setText(Field::txtTraceCSG, "24");
    setText(Field::txtGroupOverlap, "0");
    setText(Field::txtPickRange, "20");
    setCaption(Caption::Label1, "Trace # 1");
    setCaption(Caption::Label3, "Picked Time = ");
    setCaption(Caption::Label5, "No. of Traces");
    setCaption(Caption::Label6, "No. of Samples");
    setCaption(Caption::lblReadTr, "Reading Trace # 1");
    visible_.fill(true);
    setChecked(MenuCheck::mnuZeroPick, true);
    title_ = "Orvane";
}

} // namespace orv::batch
