// placeholder until the install manager lands
