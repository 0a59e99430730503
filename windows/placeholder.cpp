// placeholder until the windows land
