<?xml version="1.0" encoding="UTF-8"?>
<ColorCorrection id="shot_042">
  <SOPNode>
    <Description>warm, lifted blacks</Description>
    <Slope>1.1 1.0 0.9</Slope>
    <Offset>-0.02 0 0.01</Offset>
    <Power>1.0 1.0 1.2</Power>
  </SOPNode>
  <SATNode>
    <Saturation>0.8</Saturation>
  </SATNode>
</ColorCorrection>
