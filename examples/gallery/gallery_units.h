// The units the gallery starts: the framework's visual unit and the start-up of every component set it shows,
// the popup machinery and every registered theme included.
#pragma once

struct TUnit;

const TUnit& GalleryUnit();
